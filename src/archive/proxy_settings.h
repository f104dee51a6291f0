#pragma once
// The PROXY section of the configuration file <base>.ini.
// These settings serve the draw download, which the window and the command line share.
#include <cstdint>
#include <filesystem>
#include <string>

namespace tavlora {

struct TProxySettings {
    int32_t mode = 0;  // 0 no proxy, 1 automatic proxy search, 2 manual proxy
    std::string server;
    int32_t port = 80;
    std::string username;
    std::string password;
};

// A missing key takes its default; a missing ProxyMode is 2 when ProxyServer is set, else 0.
TProxySettings loadProxySettings(const std::filesystem::path& iniPath);

}  // namespace tavlora
