#pragma once
// The draw download of an open data folder: the one call both front ends make for it.
#include <functional>
#include <string>

#include "archive/draw_download.h"
#include "archive/http_client.h"
#include "archive/proxy_settings.h"
#include "core/interaction.h"
#include "core/progress.h"

namespace tavlora {

class Session;

// Shown when the archive file was not read whole: saving it would lose the rest of the file.
inline constexpr const char* kDownloadArchiveNotWhole =
    "Файл тиражей прочитан не полностью; чтобы не потерять его данные, новые тиражи не загружаются.";

struct SessionDownloadResult {
    DownloadResult download;
    bool stakesChecked = false;  // new draws came and the stakes were checked against them
};

// Brings the session's archive up to date (DrawDownload over the session's archive, writing a
// working automatically chosen proxy to <base>.ini), then, when draws were appended, checks
// the stakes against the archive. proxy is the program's proxy state (loadProxySettings of the
// data folder, or the values given on a command line). The settings of request.site come from
// the caller (loadDownloadSettings of <base>.ini, possibly overridden). waitText receives the
// wait window's text. Refuses (NotConfigured, reported) when the archive file was not read whole.
SessionDownloadResult downloadDraws(Session& session, PageFetcher& fetcher, TProxySettings& proxy,
                                    const DownloadRequest& request, Progress& progress, Interaction& interaction,
                                    std::function<void(const std::string&)> waitText = {});

}  // namespace tavlora
