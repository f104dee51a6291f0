#pragma once
// The program's help: the embedded HTML pages (the help index, the program pages and one
// description page per statistics method class) and the page of a method.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

class TStatMethod;
struct TStatClassInfo;

// The page that opens the help: links to every program page and to the method pages.
inline constexpr std::string_view kHelpIndexPage = "index.htm";

// The embedded page with this file name (ASCII letter case ignored); nothing when there is none.
std::optional<std::string_view> helpPage(std::string_view fileName);
// The file names of all embedded pages, in ascending order.
std::vector<std::string_view> helpPageNames();

// The description page of a method class: "Filters_1049_<base code>.htm" with every "%d" of the
// base code removed, so that all instances of a class (POS1..POS5, SUM1..SUM3) and the classes
// that share a numbered code pattern (KCM2..KCM4) share one page.
std::string methodHelpFile(const TStatClassInfo& cls);
std::string methodHelpFile(const TStatMethod& method);

}  // namespace tavlora
