#pragma once
// The PROXY section of the configuration file <base>.ini.
// These settings serve the draw download, which the window and the command line share.
#include <cstdint>
#include <filesystem>
#include <string>

namespace tavlora {

inline constexpr int32_t kProxyModeNone = 0;
inline constexpr int32_t kProxyModeAuto = 1;
inline constexpr int32_t kProxyModeManual = 2;
inline constexpr int32_t kDefaultProxyPort = 80;

struct TProxySettings {
    int32_t mode = kProxyModeNone;  // 0 no proxy, 1 automatic proxy search, 2 manual proxy
    std::string server;
    int32_t port = kDefaultProxyPort;
    std::string username;
    std::string password;
    // True while the values are those stored in the file; an automatically chosen proxy
    // clears it until the section is written again.
    bool saved = true;
};

// A missing key takes its default; a missing ProxyMode is 2 when ProxyServer is set, else 0.
// A port outside 1..65535 (or not a number) reads as 80, so that a damaged file never sends a
// request to port 0. Throws EError when the file exists but cannot be read.
TProxySettings loadProxySettings(const std::filesystem::path& iniPath);

// Writes the five PROXY keys, keeping everything else of the file, and marks the settings
// saved. Throws EError "Ошибка записи в файл конфигурации!\r\r<reason>" on failure; the old
// file then stays whole.
void saveProxySettings(const std::filesystem::path& iniPath, TProxySettings& settings);

}  // namespace tavlora
