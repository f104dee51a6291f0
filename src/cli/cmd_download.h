#pragma once
// tavlora-cli archive download: brings the archive up to date from the results page.
#include "cli/cli.h"

namespace tavlora::cli {

inline constexpr const char* kArchiveDownloadUsage =
    "  archive download [--from YYYYMMDD] [--to YYYYMMDD] [--url BASE] [--proxy HOST:PORT]\n"
    "                   [--proxy-auth USER:PASS] [--retries N]\n"
    "                                       загрузить новые тиражи со страницы результатов\n"
    "                                       (адрес и proxy - из раздела DOWNLOAD и PROXY файла .ini)";

// Runs "archive download" with the arguments after "download".
int cmdArchiveDownload(Context& ctx, ArgReader& args);

}  // namespace tavlora::cli
