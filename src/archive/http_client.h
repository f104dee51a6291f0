#pragma once
// Fetching a page over HTTP(S) or from a file:// address, directly or through an HTTP proxy.
// PageFetcher is the one small interface the draw download and the proxy search use, so that
// they can be driven by a scripted fetcher in tests; CurlHttpClient is the real one (libcurl).
#include <cstddef>
#include <memory>
#include <string>

#include "core/progress.h"

namespace tavlora {

// The proxy of one request; an empty host means a direct request.
struct ProxyAddress {
    std::string host;
    int port = 0;
    std::string username;  // basic authentication when not empty
    std::string password;
    bool enabled() const { return !host.empty(); }
    bool operator==(const ProxyAddress&) const = default;
};

// The outcome of one request: the body on success (bytes as received, without any character
// decoding), otherwise the reason. stopped tells that the user's stop request ended it.
struct FetchResult {
    bool ok = false;
    bool stopped = false;
    std::string body;
    std::string error;

    static FetchResult success(std::string body) { return {true, false, std::move(body), {}}; }
    static FetchResult failure(std::string error) { return {false, false, {}, std::move(error)}; }
    static FetchResult stop() { return {false, true, {}, "Загрузка остановлена пользователем"}; }
};

class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    // Fetches url (through proxy when it is enabled). Long waits call progress.pump() and end
    // early, as a failure with stopped set, once progress.stopRequested() is true. Network and
    // HTTP errors come back as failures, never as exceptions.
    virtual FetchResult fetch(const std::string& url, const ProxyAddress& proxy, Progress& progress) = 0;
    // Posts a form (an application/x-www-form-urlencoded body) to url, with the same rules as
    // fetch. A fetcher that only reads pages refuses it.
    virtual FetchResult post(const std::string& url, const std::string& formBody, const ProxyAddress& proxy,
                             Progress& progress) {
        (void)url, (void)formBody, (void)proxy, (void)progress;
        return FetchResult::failure("Отправка форм не поддерживается");
    }
};

struct HttpClientOptions {
    int connectTimeoutMs = 5000;   // to establish the connection (to the proxy when one is used)
    int readTimeoutMs = 10000;     // longest silence of an established connection
    std::size_t maxBodyBytes = 64u << 20;  // a larger answer is refused rather than held
    int pollIntervalMs = 50;       // how often progress.pump() runs while waiting
};

// Request headers of every request.
inline constexpr const char* kHttpAccept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline constexpr const char* kHttpAcceptEncoding = "gzip, deflate, sdch";
inline constexpr const char* kHttpUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/47.0.2526.80 "
    "Safari/537.36";

// The libcurl client: cookies kept between the requests of one client, redirects followed
// (to http and https only), gzip and deflate answers decoded, TLS certificates verified, the
// connection closed after each request. Environment proxy variables are ignored: the proxy is
// the one given per request. An HTTP status of 400 or above is a failure named by its status
// line ("HTTP/1.1 404 Not Found").
class CurlHttpClient : public PageFetcher {
public:
    explicit CurlHttpClient(HttpClientOptions options = {});
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    FetchResult fetch(const std::string& url, const ProxyAddress& proxy, Progress& progress) override;
    FetchResult post(const std::string& url, const std::string& formBody, const ProxyAddress& proxy,
                     Progress& progress) override;

private:
    FetchResult perform(const std::string& url, const std::string* formBody, const ProxyAddress& proxy,
                        Progress& progress);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tavlora
