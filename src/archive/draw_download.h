#pragma once
// The draw download: brings the archive up to date from the operator's results page, range
// after range of 100 days from the day after the newest draw to today, directly or through a
// proxy (a manual one, or candidates of the proxy-list service in the automatic mode). Every
// range that brings draws is appended and saved at once, so a download stopped or broken at any
// point leaves the archive as it was plus whole ranges.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/download_settings.h"
#include "archive/draw_archive.h"
#include "archive/http_client.h"
#include "archive/proxy_settings.h"
#include "archive/results_page.h"
#include "core/date.h"
#include "core/interaction.h"
#include "core/progress.h"

namespace tavlora {

// Texts of the download.
inline constexpr const char* kDownloadCaption = "Загрузка";
inline constexpr const char* kDownloadHint = "Загрузка архива тиражей с сайта лотереи";
inline constexpr const char* kDownloadWaitText = "Загрузка архива тиражей...";
inline constexpr const char* kDownloadWaitDetailText = "Загрузка архива тиражей...\r\r%s";
inline constexpr const char* kDownloadAttemptText = "Попытка %d, proxy %s : %d";
inline constexpr const char* kDownloadSearchingText = "Поиск proxy-серверов";
inline constexpr const char* kDownloadRangeText = "Загрузка тиражей %s - %s...";
inline constexpr const char* kDownloadRetryQuestion =
    "Ошибка загрузки архива тиражей с сайта: \"%s\"\r\rПовторить попытку?";
inline constexpr const char* kDownloadErrorText = "Ошибка загрузки архива тиражей с сайта: \"%s\"";
inline constexpr const char* kProxySearchError = "Ошибка получения списка proxy-серверов!\r\r%s";
inline constexpr const char* kProxyChoiceError = "Ошибка автоматического выбора proxy сервера!\r\r%s";
inline constexpr const char* kDownloadStoppedText = "Загрузка архива тиражей прервана.";
inline constexpr const char* kDownloadNewestDateUnreadable =
    "Дата последнего тиража архива (№ %d) не прочитана: \"%s\". Исправьте её, чтобы загрузить следующие тиражи.";
inline constexpr const char* kDownloadNumbersExhausted =
    "Номер последнего тиража архива (№ %d) не оставляет места для следующих тиражей.";
// The first day asked for when the archive is empty.
inline constexpr int kDownloadFirstDay = 20090107;
// Length of one requested range in days.
inline constexpr int kDownloadRangeDays = 100;

// How a download ended.
enum class DownloadEnd {
    UpToDate,       // nothing to ask: the newest draw is dated on the last day asked for or later
    Completed,      // every range up to the last day was fetched
    Stopped,        // the user stopped it
    Failed,         // a request failed and no retry was wanted; error holds the reason
    ProxyFailed,    // the automatic mode found or chose no proxy (reported as an error)
    SaveFailed,     // the archive file could not be written (reported as an error)
    NotConfigured,  // no results page set (kDownloadUrlMissing), or the archive's newest draw
                    // has no readable date or number to go on from (reported as an error)
};

struct DownloadRequest {
    TDownloadSettings site;               // results page, game name, proxy-list service
    std::optional<CivilDate> from;        // first day asked for instead of the day after the newest draw
    std::optional<CivilDate> to;          // last day asked for instead of today (never after today)
    std::optional<CivilDate> today;       // the current day; the local date when not given
};

struct DownloadResult {
    DownloadEnd end = DownloadEnd::UpToDate;
    std::string error;                 // the failure that ended it (Failed, ProxyFailed, SaveFailed, NotConfigured)
    TDrawsArray appended;              // the draws appended, in archive order
    std::vector<SkippedRow> skipped;   // page rows that did not become draws, with the reason
    int attempts = 1;                  // 1 + failed requests
    int requests = 0;                  // results-page requests made
    int ranges = 0;                    // ranges answered
    bool proxySaved = false;           // an automatically chosen proxy worked and was written

    // True when the archive is as current as the site allowed (UpToDate or Completed).
    bool ok() const { return end == DownloadEnd::UpToDate || end == DownloadEnd::Completed; }
    // The suspicious rows only (see SkippedRow::suspicious).
    std::vector<SkippedRow> suspiciousRows() const;
};

class DrawDownload {
public:
    // proxy is the program's proxy state: the automatic mode sets the chosen candidate into it,
    // clears a failed one and, after a range was answered through a newly chosen proxy, writes
    // the PROXY section of iniPath (not written when iniPath is empty).
    DrawDownload(DrawArchive& archive, PageFetcher& fetcher, TProxySettings& proxy, std::filesystem::path iniPath);

    // Receives the wait window's text: kDownloadWaitText, with the attempt and proxy
    // (kDownloadAttemptText) or kDownloadSearchingText below it.
    void onWaitText(std::function<void(const std::string&)> handler) { waitText_ = std::move(handler); }

    // Runs the download. The status text names each range; the gauge counts ranges. A request
    // that fails (network, HTTP status, a page whose markers do not pair) counts an attempt: the
    // automatic mode drops that candidate and goes on silently with the next one; otherwise (and
    // when no candidate is left) interaction is asked kDownloadRetryQuestion, Yes asks the same
    // range again, No ends the download. A stop request ends it before the next request or
    // during one. Errors other than the failed requests are reported through interaction.
    DownloadResult run(const DownloadRequest& request, Progress& progress, Interaction& interaction);

private:
    void wait(const std::string& text) {
        if (waitText_) waitText_(text);
    }

    DrawArchive& archive_;
    PageFetcher& fetcher_;
    TProxySettings& proxy_;
    std::filesystem::path iniPath_;
    std::function<void(const std::string&)> waitText_;
};

}  // namespace tavlora
