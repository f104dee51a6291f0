#pragma once
// The DOWNLOAD section of the configuration file <base>.ini: where the draw download asks for
// results.
//   Url           the results page: a site address ("https://host", the page path is added)
//                 or a full page address, also file:// for a saved page
//   Game          the operator's name of this game, sent as gameNameIn
//   ProxyListUrl  the proxy-list service of the automatic proxy mode (answers "host:port" lines)
#include <filesystem>
#include <string>

namespace tavlora {

// Caption of the group of these settings in the proxy dialog, and the texts of its fields.
inline constexpr const char* kDownloadGroupCaption = "Страница результатов тиражей";
inline constexpr const char* kDownloadUrlLabel = "Адрес страницы результатов:";
inline constexpr const char* kDownloadGameLabel = "Название игры на сайте:";
inline constexpr const char* kDownloadProxyListLabel = "Адрес списка proxy-серверов:";

// Shown when no results page is set: where to set it.
inline constexpr const char* kDownloadUrlMissing =
    "Адрес страницы результатов не задан: укажите его в окне \"Параметры proxy-сервера\" (группа "
    "\"Страница результатов тиражей\") или ключом Url раздела [DOWNLOAD] файла Tavlora_5d69.ini.";

struct TDownloadSettings {
    std::string url;
    std::string game;
    std::string proxyListUrl;
    bool operator==(const TDownloadSettings&) const = default;
};

// Missing keys are empty; values are trimmed. Throws EError when the file exists but cannot be
// read.
TDownloadSettings loadDownloadSettings(const std::filesystem::path& iniPath);

// Writes the three keys, keeping everything else of the file. Throws EError
// "Ошибка записи в файл конфигурации!\r\r<reason>" on failure; the old file then stays whole.
void saveDownloadSettings(const std::filesystem::path& iniPath, const TDownloadSettings& settings);

}  // namespace tavlora
