#pragma once
// The automatic proxy mode's candidates: asking the proxy-list service for proxies and reading
// its answer, a plain list with one "host:port" per line.
#include <string>
#include <string_view>
#include <vector>

#include "archive/http_client.h"
#include "core/progress.h"

namespace tavlora {

inline constexpr const char* kProxyNoneFound = "Не найдено ни одного proxy-сервера с заданными параметрами";
inline constexpr const char* kProxyListUrlMissing =
    "Адрес списка proxy-серверов не задан (ключ ProxyListUrl раздела [DOWNLOAD] файла Tavlora_5d69.ini).";
// A search ends once this many candidates are known or a page gives fewer than kProxyPageMinimum.
inline constexpr int kProxyCandidatesWanted = 30;
inline constexpr int kProxyPageMinimum = 15;

// The address of one page of the service: listUrl with the query protocol (https only when
// the page to fetch is https, otherwise http or https), any anonymity level, any country, a
// maximum response time of 10 and a minimum uptime of 75, and the offset of the page.
std::string proxyListPageUrl(std::string_view listUrl, bool httpsOnly, int offset);

// The "host:port" lines of an answer, in order, without repeats. Blank lines, "#" comments and
// lines that are not a host and a port 1..65535 are passed over.
std::vector<std::string> readProxyList(std::string_view text);

// Asks the service page after page until kProxyCandidatesWanted candidates are known, a page
// gives fewer than kProxyPageMinimum lines or nothing new. Requests go without a proxy.
// Throws EError with the reason when a page cannot be fetched, when listUrl is empty
// (kProxyListUrlMissing) or when no candidate is found (kProxyNoneFound). A stop request ends
// it with the candidates found so far (none: EError).
std::vector<std::string> searchProxies(PageFetcher& fetcher, std::string_view listUrl, bool httpsOnly,
                                       Progress& progress);

// A candidate "host:port" as a proxy address: both parts trimmed, the port an integer 1..65535.
// Throws EError otherwise.
ProxyAddress proxyOfCandidate(std::string_view candidate);

}  // namespace tavlora
