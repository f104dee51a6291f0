#include "archive/http_client.h"

#include <algorithm>
#include <chrono>
#include <curl/curl.h>
#include <mutex>
#include <string_view>

namespace tavlora {

namespace {

using Clock = std::chrono::steady_clock;

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What the callbacks of one transfer collect.
struct Transfer {
    std::string body;
    std::size_t maxBody = 0;
    bool tooLarge = false;
    std::string statusLine;  // the last "HTTP/..." line: after redirects, the final answer's
    Clock::time_point lastActivity;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t len = size * count;
    t->lastActivity = Clock::now();
    if (t->body.size() + len > t->maxBody) {
        t->tooLarge = true;
        return 0;  // ends the transfer with a write error
    }
    t->body.append(data, len);
    return len;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t len = size * count;
    t->lastActivity = Clock::now();
    std::string_view line(data, len);
    if (line.starts_with("HTTP/")) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.remove_suffix(1);
        t->statusLine = std::string(line);
    }
    return len;
}

// A curl_slist freed on every way out.
struct HeaderList {
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
    void add(const std::string& h) { list = curl_slist_append(list, h.c_str()); }
};

}  // namespace

struct CurlHttpClient::Impl {
    HttpClientOptions options;
    CURLSH* share = nullptr;  // keeps the cookies between requests
    CURLM* multi = nullptr;   // drives one transfer at a time without blocking the caller's events
};

CurlHttpClient::CurlHttpClient(HttpClientOptions options) : impl_(std::make_unique<Impl>()) {
    initCurlOnce();
    impl_->options = options;
    impl_->share = curl_share_init();
    if (impl_->share) curl_share_setopt(impl_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    impl_->multi = curl_multi_init();
}

CurlHttpClient::~CurlHttpClient() {
    if (impl_->multi) curl_multi_cleanup(impl_->multi);
    if (impl_->share) curl_share_cleanup(impl_->share);
}

FetchResult CurlHttpClient::fetch(const std::string& url, const ProxyAddress& proxy, Progress& progress) {
    return perform(url, nullptr, proxy, progress);
}

FetchResult CurlHttpClient::post(const std::string& url, const std::string& formBody, const ProxyAddress& proxy,
                                 Progress& progress) {
    return perform(url, &formBody, proxy, progress);
}

FetchResult CurlHttpClient::perform(const std::string& url, const std::string* formBody, const ProxyAddress& proxy,
                                    Progress& progress) {
    if (progress.stopRequested()) return FetchResult::stop();
    if (!impl_->multi) return FetchResult::failure("libcurl could not be initialised");
    CURL* easy = curl_easy_init();
    if (!easy) return FetchResult::failure("libcurl could not be initialised");

    const HttpClientOptions& o = impl_->options;
    Transfer t;
    t.maxBody = o.maxBodyBytes;
    char errbuf[CURL_ERROR_SIZE] = {0};
    HeaderList headers;
    headers.add(std::string("Accept: ") + kHttpAccept);
    headers.add("Connection: close");
    if (formBody) headers.add("Expect:");  // no wait for "100 Continue" before a larger form

    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    if (formBody) {
        // The body is copied by libcurl; the default content type is the form's.
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(formBody->size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, formBody->c_str());
    }
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, kHttpAcceptEncoding);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kHttpUserAgent);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // cookie engine on, nothing read from disk
    if (impl_->share) curl_easy_setopt(easy, CURLOPT_SHARE, impl_->share);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(o.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    // The proxy is exactly the one asked for: "" turns off the environment's http_proxy, and an
    // empty exception list keeps no_proxy from bypassing a proxy that was asked for.
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    if (proxy.enabled()) {
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.host.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(proxy.port));
        curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (!proxy.username.empty()) {
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.username.c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.password.c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    }

    CURLM* multi = impl_->multi;
    curl_multi_add_handle(multi, easy);
    const Clock::time_point start = Clock::now();
    t.lastActivity = start;
    const auto readTimeout = std::chrono::milliseconds(o.readTimeoutMs);
    bool stopped = false;
    bool timedOut = false;
    std::string multiError;
    for (;;) {
        int running = 0;
        CURLMcode mc = curl_multi_perform(multi, &running);
        if (mc != CURLM_OK) {
            multiError = curl_multi_strerror(mc);
            break;
        }
        if (running == 0) break;
        progress.pump();
        if (progress.stopRequested()) {
            stopped = true;
            break;
        }
        // The read time-out counts the silence of an established connection; establishing it
        // is bounded by the connect time-out.
        curl_off_t connectUs = 0;
        if (curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectUs) == CURLE_OK && connectUs > 0) {
            const auto connectedAt = start + std::chrono::microseconds(connectUs);
            const auto quietSince = std::max(t.lastActivity, connectedAt);
            if (Clock::now() - quietSince > readTimeout) {
                timedOut = true;
                break;
            }
        }
        curl_multi_poll(multi, nullptr, 0, o.pollIntervalMs, nullptr);
    }

    CURLcode rc = CURLE_OK;
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued))
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) rc = msg->data.result;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);

    if (stopped) return FetchResult::stop();
    if (timedOut) return FetchResult::failure("Read timed out after " + std::to_string(o.readTimeoutMs) + " ms");
    if (!multiError.empty()) return FetchResult::failure(multiError);
    if (t.tooLarge)
        return FetchResult::failure("The answer is larger than " + std::to_string(o.maxBodyBytes) + " bytes");
    if (rc != CURLE_OK) return FetchResult::failure(errbuf[0] ? std::string(errbuf) : std::string(curl_easy_strerror(rc)));
    if (status >= 400)
        return FetchResult::failure(t.statusLine.empty() ? "HTTP status " + std::to_string(status) : t.statusLine);
    return FetchResult::success(std::move(t.body));
}

}  // namespace tavlora
