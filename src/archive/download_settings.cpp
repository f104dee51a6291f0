#include "archive/download_settings.h"

#include "archive/ini_update.h"
#include "core/ini_file.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {
constexpr const char* kSection = "DOWNLOAD";
}

TDownloadSettings loadDownloadSettings(const std::filesystem::path& iniPath) {
    IniFile ini(iniPath);
    TDownloadSettings s;
    s.url = std::string(trimText(ini.readString(kSection, "Url", "")));
    s.game = std::string(trimText(ini.readString(kSection, "Game", "")));
    s.proxyListUrl = std::string(trimText(ini.readString(kSection, "ProxyListUrl", "")));
    return s;
}

void saveDownloadSettings(const std::filesystem::path& iniPath, const TDownloadSettings& settings) {
    updateIniFile(iniPath, [&](IniFile& ini) {
        ini.writeString(kSection, "Url", trimText(settings.url));
        ini.writeString(kSection, "Game", trimText(settings.game));
        ini.writeString(kSection, "ProxyListUrl", trimText(settings.proxyListUrl));
    });
}

}  // namespace tavlora
