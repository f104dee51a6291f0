#include "archive/proxy_settings.h"

#include "archive/ini_update.h"
#include "core/error.h"
#include "core/ini_file.h"

namespace tavlora {

namespace {
constexpr const char* kSection = "PROXY";
}

TProxySettings loadProxySettings(const std::filesystem::path& iniPath) {
    IniFile ini(iniPath);
    TProxySettings p;
    p.server = ini.readString(kSection, "ProxyServer", "");
    p.mode = ini.readInteger(kSection, "ProxyMode", p.server.empty() ? kProxyModeNone : kProxyModeManual);
    p.port = ini.readInteger(kSection, "ProxyPort", kDefaultProxyPort);
    if (p.port < 1 || p.port > 65535) p.port = kDefaultProxyPort;
    p.username = ini.readString(kSection, "ProxyUsername", "");
    p.password = ini.readString(kSection, "ProxyPassword", "");
    p.saved = true;
    return p;
}

void saveProxySettings(const std::filesystem::path& iniPath, TProxySettings& settings) {
    updateIniFile(iniPath, [&](IniFile& ini) {
        ini.writeInteger(kSection, "ProxyMode", settings.mode);
        ini.writeString(kSection, "ProxyServer", settings.server);
        ini.writeInteger(kSection, "ProxyPort", settings.port);
        ini.writeString(kSection, "ProxyUsername", settings.username);
        ini.writeString(kSection, "ProxyPassword", settings.password);
    });
    settings.saved = true;
}

}  // namespace tavlora
