// tavlora-cli archive download: the draw download over the data folder's settings.
//
// Standard output: the appended draws as rows of the archive list (newest first, caption line
// first). Standard error: progress, the proxy attempts, rows of the page that were refused, the
// count. Exit status 0 when the archive is up to date, 1 when the download failed, was refused
// or was interrupted (Ctrl-C stops it between or during requests; whole ranges stay saved).
#include "cli/cmd_download.h"

#include <csignal>
#include <iostream>
#include <optional>

#include "archive/download_settings.h"
#include "archive/draw_archive.h"
#include "archive/draw_download.h"
#include "archive/http_client.h"
#include "archive/proxy_list.h"
#include "archive/proxy_settings.h"
#include "cli/cli_session.h"
#include "core/date.h"
#include "core/error.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "session/session_download.h"

namespace tavlora::cli {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void onInterrupt(int) { gInterrupted = 1; }

// Ctrl-C raises the stop request of the download for as long as the object lives.
class InterruptScope {
public:
    InterruptScope() {
        gInterrupted = 0;
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        installed_ = ::sigaction(SIGINT, &sa, &old_) == 0;
    }
    ~InterruptScope() {
        if (installed_) ::sigaction(SIGINT, &old_, nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction old_ {};
    bool installed_ = false;
};

class InterruptibleProgress : public Progress {
public:
    explicit InterruptibleProgress(Progress& inner) : inner_(inner) {}
    void setText(const std::string& text) override { inner_.setText(text); }
    void setMaximum(int64_t maximum) override { inner_.setMaximum(maximum); }
    void setPosition(int64_t position) override { inner_.setPosition(position); }
    void pump() override { inner_.pump(); }
    bool stopRequested() const override { return gInterrupted != 0 || inner_.stopRequested(); }

private:
    Progress& inner_;
};

// Messages go on to the terminal; the retry question is answered yes at most `retries` times
// (--yes is not taken for it, since a site that stays down would be asked forever).
class RetryAnswers : public Interaction {
public:
    RetryAnswers(std::ostream& err, int retries) : err_(err), retries_(retries) {}
    void message(MessageKind, const std::string& caption, const std::string& text) override {
        err_ << caption << ": " << terminalText(text) << '\n';
    }
    bool question(const std::string& caption, const std::string& text, bool) override {
        const bool yes = retries_ > 0;
        if (yes) --retries_;
        err_ << caption << ": " << terminalText(text) << (yes ? " -> да (--retries)" : " -> нет") << '\n';
        return yes;
    }

private:
    std::ostream& err_;
    int retries_;
};

CivilDate dateOption(const std::string& text, const char* name) {
    auto v = tryReadInt(text);
    CivilDate d = v ? CivilDate::fromYyyymmdd(*v) : CivilDate{};
    if (text.size() != 8 || !v || !d.isValid())
        throw UsageError{"параметру " + std::string(name) + " нужна дата ГГГГММДД: " + text};
    return d;
}

}  // namespace

int cmdArchiveDownload(Context& ctx, ArgReader& args) {
    std::string v;
    DownloadRequest request;
    if (args.option("--from", v)) request.from = dateOption(v, "--from");
    if (args.option("--to", v)) request.to = dateOption(v, "--to");
    std::optional<std::string> url;
    if (args.option("--url", v)) url = v;
    std::optional<ProxyAddress> manual;
    if (args.option("--proxy", v)) {
        try {
            manual = proxyOfCandidate(v);
        } catch (const EError&) {
            throw UsageError{"параметру --proxy нужно ХОСТ:ПОРТ с портом 1..65535: " + v};
        }
    }
    if (args.option("--proxy-auth", v)) {
        if (!manual) throw UsageError{"параметр --proxy-auth требует --proxy"};
        const size_t colon = v.find(':');
        if (colon == std::string::npos || colon == 0) throw UsageError{"параметру --proxy-auth нужно ПОЛЬЗОВАТЕЛЬ:ПАРОЛЬ"};
        manual->username = v.substr(0, colon);
        manual->password = v.substr(colon + 1);
    }
    const int retries = args.intOption("--retries", 0);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"archive download принимает только параметры"};
    if (retries < 0) throw UsageError{"параметру --retries нужно число >= 0"};
    if (request.from && request.to && *request.to < *request.from) throw UsageError{"дата --to раньше даты --from"};

    const auto opened = openSession(ctx);
    Session& session = *opened;

    const auto ini = session.filePath(".ini");
    request.site = loadDownloadSettings(ini);
    if (url) request.site.url = *url;
    TProxySettings proxy = loadProxySettings(ini);
    if (manual) {
        proxy.mode = kProxyModeManual;
        proxy.server = manual->host;
        proxy.port = manual->port;
        proxy.username = manual->username;
        proxy.password = manual->password;
    }

    InterruptScope interrupt;
    InterruptibleProgress progress(ctx.progress);
    RetryAnswers answers(ctx.err, retries);
    std::string lastDetail;
    auto waitText = [&](const std::string& text) {
        // The attempt and proxy line (or the proxy search) below the wait window's first line.
        const size_t p = text.find("\r\r");
        const std::string detail = p == std::string::npos ? std::string() : text.substr(p + 2);
        if (!detail.empty() && detail != lastDetail) ctx.err << detail << '\n';
        lastDetail = detail;
    };
    CurlHttpClient client;
    SessionDownloadResult r = downloadDraws(session, client, proxy, request, progress, answers, waitText);
    const DownloadResult& d = r.download;

    for (const SkippedRow& s : d.suspiciousRows()) answers.message(MessageKind::Warning, "Внимание!", s.text());
    printRow(ctx.out, drawListColumns());
    for (auto it = d.appended.rbegin(); it != d.appended.rend(); ++it)
        printRow(ctx.out, drawListRow(*it, session.sortedDraws()));
    ctx.err << "Добавлено тиражей: " << d.appended.size() << '\n';
    if (d.end == DownloadEnd::Stopped) ctx.err << kDownloadStoppedText << '\n';
    return d.ok() ? 0 : 1;
}

}  // namespace tavlora::cli
