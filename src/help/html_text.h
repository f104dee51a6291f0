#pragma once
// Plain text of a help page for the terminal: headings underlined, paragraphs wrapped and
// separated by an empty line, list items with a marker, table rows with their cells joined by
// " | ", preformatted text kept as it is, the usual character entities decoded; the head, styles
// and scripts are dropped.
#include <string>
#include <string_view>

namespace tavlora {

// `width` is the longest line of wrapped text in characters (not bytes); 0 turns wrapping off.
std::string htmlToText(std::string_view html, int width = 78);

}  // namespace tavlora
