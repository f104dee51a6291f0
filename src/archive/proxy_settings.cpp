#include "archive/proxy_settings.h"

#include "core/error.h"
#include "core/ini_file.h"

namespace tavlora {

TProxySettings loadProxySettings(const std::filesystem::path& iniPath) {
    IniFile ini(iniPath);
    TProxySettings p;
    p.server = ini.readString("PROXY", "ProxyServer", "");
    p.mode = ini.readInteger("PROXY", "ProxyMode", p.server.empty() ? 0 : 2);
    p.port = ini.readInteger("PROXY", "ProxyPort", 80);
    p.username = ini.readString("PROXY", "ProxyUsername", "");
    p.password = ini.readString("PROXY", "ProxyPassword", "");
    return p;
}

}  // namespace tavlora
