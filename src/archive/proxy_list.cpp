#include "archive/proxy_list.h"

#include <algorithm>

#include "core/error.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

// Splits "host:port" at the last colon; nullopt when the host is empty or holds blanks, or the
// port is not an integer 1..65535.
std::optional<ProxyAddress> splitHostPort(std::string_view text) {
    std::string_view t = trimText(text);
    size_t colon = t.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    std::string_view host = trimText(t.substr(0, colon));
    auto port = tryReadInt(t.substr(colon + 1));
    if (host.empty() || host.find_first_of(" \t") != std::string_view::npos) return std::nullopt;
    if (!port || *port < 1 || *port > 65535) return std::nullopt;
    ProxyAddress p;
    p.host = std::string(host);
    p.port = *port;
    return p;
}

}  // namespace

std::string proxyListPageUrl(std::string_view listUrl, bool httpsOnly, int offset) {
    std::string url(trimText(listUrl));
    url += url.find('?') == std::string::npos ? '?' : '&';
    url += httpsOnly ? "protocol=https" : "protocol=http%2Chttps";
    url += "&anonlvl=&country=&min_uptime=75&max_response_time=10&offset=" + std::to_string(offset);
    return url;
}

std::vector<std::string> readProxyList(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string_view line = trimText(text.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                                          : end - start));
        if (!line.empty() && line.front() != '#') {
            if (auto p = splitHostPort(line)) {
                std::string candidate = p->host + ":" + std::to_string(p->port);
                if (std::find(out.begin(), out.end(), candidate) == out.end()) out.push_back(candidate);
            }
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return out;
}

std::vector<std::string> searchProxies(PageFetcher& fetcher, std::string_view listUrl, bool httpsOnly,
                                       Progress& progress) {
    if (trimText(listUrl).empty()) throw EError(kProxyListUrlMissing);
    std::vector<std::string> found;
    // A service that ignores the offset would answer the same page forever: a page that brings
    // nothing new ends the search, and so does a generous page limit.
    for (int page = 0; page < 100 && static_cast<int>(found.size()) < kProxyCandidatesWanted; ++page) {
        FetchResult r = fetcher.fetch(proxyListPageUrl(listUrl, httpsOnly, static_cast<int>(found.size())), {}, progress);
        if (r.stopped) break;
        if (!r.ok) throw EError(r.error);
        auto lines = readProxyList(r.body);
        size_t before = found.size();
        for (auto& c : lines)
            if (std::find(found.begin(), found.end(), c) == found.end()) found.push_back(std::move(c));
        if (static_cast<int>(lines.size()) < kProxyPageMinimum || found.size() == before) break;
    }
    if (found.empty()) throw EError(kProxyNoneFound);
    return found;
}

ProxyAddress proxyOfCandidate(std::string_view candidate) {
    auto p = splitHostPort(candidate);
    if (!p) throw EError("\"" + std::string(candidate) + "\" is not a host:port pair");
    return *p;
}

}  // namespace tavlora
