#include "archive/draw_download.h"

#include <algorithm>
#include <climits>

#include "archive/proxy_list.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

// Clears the status text on every way out of the download.
class StatusGuard {
public:
    explicit StatusGuard(Progress& progress) : progress_(progress) {}
    ~StatusGuard() { progress_.setText(std::string()); }
    StatusGuard(const StatusGuard&) = delete;
    StatusGuard& operator=(const StatusGuard&) = delete;

private:
    Progress& progress_;
};

// Passes everything on and keeps the last error text, so that a failure reported by a callee
// can also be named in the result.
class ErrorCapture : public Interaction {
public:
    explicit ErrorCapture(Interaction& inner) : inner_(inner) {}
    void message(MessageKind kind, const std::string& caption, const std::string& text) override {
        if (kind == MessageKind::Error) lastError = text;
        inner_.message(kind, caption, text);
    }
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override {
        return inner_.question(caption, text, defaultYes);
    }
    std::string lastError;

private:
    Interaction& inner_;
};

int64_t rangesBetween(const CivilDate& from, const CivilDate& last) {
    const int64_t days = last.dayCount() - from.dayCount() + 1;
    return days <= 0 ? 0 : (days + kDownloadRangeDays - 1) / kDownloadRangeDays;
}

}  // namespace

std::vector<SkippedRow> DownloadResult::suspiciousRows() const {
    std::vector<SkippedRow> out;
    for (const auto& s : skipped)
        if (s.suspicious()) out.push_back(s);
    return out;
}

DrawDownload::DrawDownload(DrawArchive& archive, PageFetcher& fetcher, TProxySettings& proxy,
                           std::filesystem::path iniPath)
    : archive_(archive), fetcher_(fetcher), proxy_(proxy), iniPath_(std::move(iniPath)) {}

DownloadResult DrawDownload::run(const DownloadRequest& request, Progress& progress, Interaction& interaction) {
    DownloadResult result;
    StatusGuard status(progress);
    auto fail = [&](DownloadEnd end, const std::string& text) {
        result.end = end;
        result.error = text;
        interaction.error(text);
        return result;
    };

    if (trimText(request.site.url).empty()) return fail(DownloadEnd::NotConfigured, kDownloadUrlMissing);

    const CivilDate today = request.today ? *request.today : todayDate();
    const CivilDate last = request.to && *request.to < today ? *request.to : today;

    // The newest draw gives the first day to ask for and the date a new draw must follow.
    std::optional<CivilDate> newest;
    int nextNumber = 1;
    if (!archive_.empty()) {
        const TDraw& top = archive_.at(archive_.high());
        try {
            newest = readDateText(top.dateText());
        } catch (const EError&) {
            newest.reset();
        }
        if (!newest)
            return fail(DownloadEnd::NotConfigured,
                        fmt(kDownloadNewestDateUnreadable, top.number, cp1251ToUtf8(top.dateText())));
        if (top.number == INT32_MAX) return fail(DownloadEnd::NotConfigured, fmt(kDownloadNumbersExhausted, top.number));
        nextNumber = std::max(top.number + 1, 1);
    }
    CivilDate from = request.from ? *request.from
                                  : (newest ? newest->addDays(1) : CivilDate::fromYyyymmdd(kDownloadFirstDay));

    const bool httpsPage = trimText(request.site.url).starts_with("https://");
    std::vector<std::string> candidates;  // lives for this download only
    bool searched = false;
    bool proxySaveReported = false;

    wait(kDownloadWaitText);
    progress.setMaximum(rangesBetween(from, last));
    progress.setPosition(0);

    for (;;) {
        if (from > last) {
            result.end = result.requests == 0 ? DownloadEnd::UpToDate : DownloadEnd::Completed;
            break;
        }
        if (progress.stopRequested()) {
            result.end = DownloadEnd::Stopped;
            break;
        }
        CivilDate to = from.addDays(kDownloadRangeDays - 1);
        if (to > last) to = last;

        // The proxy of this request.
        ProxyAddress proxy;
        if (proxy_.mode == kProxyModeAuto) {
            if (proxy_.server.empty()) {
                if (candidates.empty()) {
                    wait(fmt(kDownloadWaitDetailText, kDownloadSearchingText));
                    try {
                        candidates = searchProxies(fetcher_, request.site.proxyListUrl, httpsPage, progress);
                        searched = true;
                    } catch (const EError& e) {
                        if (progress.stopRequested()) {
                            result.end = DownloadEnd::Stopped;
                            break;
                        }
                        return fail(DownloadEnd::ProxyFailed, fmt(kProxySearchError, std::string(e.what())));
                    }
                    if (progress.stopRequested()) {
                        result.end = DownloadEnd::Stopped;
                        break;
                    }
                }
                try {
                    ProxyAddress chosen = proxyOfCandidate(candidates.front());
                    proxy_.server = chosen.host;
                    proxy_.port = chosen.port;
                    proxy_.username.clear();
                    proxy_.password.clear();
                    proxy_.saved = false;
                } catch (const EError& e) {
                    return fail(DownloadEnd::ProxyFailed, fmt(kProxyChoiceError, std::string(e.what())));
                }
            }
            proxy = {proxy_.server, proxy_.port, proxy_.username, proxy_.password};
        } else if (proxy_.mode == kProxyModeManual) {
            proxy = {proxy_.server, proxy_.port, proxy_.username, proxy_.password};
        }
        if (proxy.enabled())
            wait(fmt(kDownloadWaitDetailText, fmt(kDownloadAttemptText, result.attempts, proxy.host, proxy.port)));
        else
            wait(kDownloadWaitText);

        progress.setText(fmt(kDownloadRangeText, dateText(from), dateText(to)));
        const std::string url = resultsPageUrl(request.site.url, request.site.game, from, to);
        FetchResult page = fetcher_.fetch(url, proxy, progress);
        ++result.requests;
        if (page.stopped) {
            result.end = DownloadEnd::Stopped;
            break;
        }
        std::string failure = page.ok ? std::string() : page.error;
        std::vector<PageRow> rows;
        if (page.ok) {
            try {
                rows = readResultsPage(page.body);
            } catch (const EError& e) {
                failure = e.what();
            }
        }

        if (failure.empty()) {
            // An automatically chosen proxy worked: keep it for the next time.
            if (proxy_.mode == kProxyModeAuto && !proxy_.saved && !iniPath_.empty()) {
                try {
                    saveProxySettings(iniPath_, proxy_);
                    result.proxySaved = true;
                } catch (const EError& e) {
                    // The draws matter more than remembering the proxy: told once, the download goes on.
                    if (!proxySaveReported) interaction.error(e.what());
                    proxySaveReported = true;
                }
            }
            PageDraws got = pageDraws(rows, newest, today, nextNumber);
            result.skipped.insert(result.skipped.end(), got.skipped.begin(), got.skipped.end());
            ++result.ranges;
            if (!got.draws.empty()) {
                for (const TDraw& d : got.draws) archive_.append(d);
                result.appended.insert(result.appended.end(), got.draws.begin(), got.draws.end());
                nextNumber += static_cast<int>(got.draws.size());
                newest = readDateText(got.draws.back().dateText());
                ErrorCapture capture(interaction);
                if (!archive_.save(progress, capture)) {
                    result.end = DownloadEnd::SaveFailed;
                    result.error = capture.lastError;
                    break;
                }
                // The next range starts the day after the newest draw, which also asks again for
                // the rest of a range whose page was cut short; it always moves forward.
                CivilDate next = newest->addDays(1);
                from = next > from ? next : from.addDays(1);
            } else {
                // An empty range ends nothing: the next one follows it up to the last day.
                from = to.addDays(1);
            }
            progress.setMaximum(result.ranges + rangesBetween(from, last));
            progress.setPosition(result.ranges);
            continue;
        }

        // A failed request.
        ++result.attempts;
        if (proxy_.mode == kProxyModeAuto) {
            const std::string failed = proxy_.server + ":" + std::to_string(proxy_.port);
            candidates.erase(std::remove(candidates.begin(), candidates.end(), failed), candidates.end());
            proxy_.server.clear();
            proxy_.port = kDefaultProxyPort;
            proxy_.username.clear();
            proxy_.password.clear();
            proxy_.saved = false;
            // Next candidate; a proxy kept from an earlier run that failed leads to a search.
            if (!candidates.empty() || !searched) continue;
        }
        if (!interaction.question("Ошибка", fmt(kDownloadRetryQuestion, failure), true)) {
            result.end = DownloadEnd::Failed;
            result.error = fmt(kDownloadErrorText, failure);
            break;
        }
    }
    return result;
}

}  // namespace tavlora
