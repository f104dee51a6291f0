// The plain-text form of help pages for the terminal.
#include <gtest/gtest.h>

#include <string>

#include "help/html_text.h"

using tavlora::htmlToText;

namespace {

struct Case {
    const char* what;
    const char* html;
    const char* text;
    int width = 78;
};

TEST(HtmlText, ConvertsBlocksInlineTagsAndEntities) {
    const Case cases[] = {
        {"head, style and title are dropped; headings are underlined by their length in characters",
         "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>NUMS — x</title><style>h1{x}</style></head>"
         "<body><h1>Числа тиража</h1><h2>Пример</h2><p>Текст.</p></body></html>",
         "Числа тиража\n============\n\nПример\n------\n\nТекст.\n"},
        {"whitespace runs collapse, inline tags keep their text",
         "<p>  Код:\n   <code>NUMS</code>;\t<b>группа</b>  </p>", "Код: NUMS; группа\n"},
        {"entities", "<p>&lt;a&gt; &amp; &quot;b&quot; &laquo;в&raquo; &mdash; 1&nbsp;2 &#171;&#xBB; &unknown; &</p>",
         "<a> & \"b\" «в» — 1 2 «» &unknown; &\n"},
        {"unordered and ordered lists, nested",
         "<ul><li>один</li><li>два<ol><li>первый</li><li>второй</li></ol></li></ul><p>после</p>",
         "  - один\n  - два\n    1. первый\n    2. второй\n\nпосле\n"},
        {"table rows join their cells", "<table><tr><th>Код</th><th>Смысл</th></tr><tr><td>LNO</td><td>все</td></tr></table>",
         "Код | Смысл\nLNO | все\n"},
        {"line breaks and preformatted text",
         "<p>a<br>b</p><pre>\n  x  y\n z</pre>", "a\nb\n\n  x  y\n z\n"},
        {"comments and a lone \"<\" sign", "<p>1 <!-- скрыто --> < 2</p>", "1 < 2\n"},
        {"text outside any block becomes a paragraph", "просто текст", "просто текст\n"},
        {"attributes with \">\" inside quotes", "<p><a href=\"x.htm\" title=\"a>b\">ссылка</a></p>", "ссылка\n"},
        {"numeric entities; invalid code points stay as written",
         "<p>&#x4A;&#X4b;&#76;&#39; &#0; &#xD800; &#x110000; &#12a;</p>", "JKL' &#0; &#xD800; &#x110000; &#12a;\n"},
        {"only the line break right after <pre> is markup: one after an inline tag is text",
         "<pre>\na<b>b</b>\nc</pre>", "ab\nc\n"},
        {"preformatted text keeps tabs; the line break after <pre> may be CR LF",
         "<pre>\r\na&#9;b\r\n  c</pre>", "a\tb\n  c\n"},
        {"third-level headings, self-closing breaks, definition lists",
         "<h3>Раздел</h3><p>a<br/>b</p><dl><dt>x</dt><dd>y</dd></dl>", "Раздел\n------\n\na\nb\n\nx\n\ny\n"},
        {"closing a block ends it, so text after it starts a new paragraph",
         "<dl><dt>термин</dt>текст</dl><ul><li>пункт</li></ul>", "термин\n\nтекст\n\n  - пункт\n"},
        {"cells without a row tag still form a row; a cell inside a paragraph starts one",
         "<td>a</td><td>b</td><p>c<td>d</td></p>", "a | b\n\nc\n\nd\n"},
        {"only h1..h6 are headings", "<h7>не заголовок</h7>", "не заголовок\n"},
        {"an XML declaration is skipped and the head hides its title",
         "<?xml version=\"1.0\"?><head><title>t</title></head><body>текст</body>", "текст\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(htmlToText(c.html, c.width), c.text) << c.what;
}

TEST(HtmlText, WrapsByCharactersWithHangingIndent) {
    // Cyrillic letters take two bytes each: the width counts characters, not bytes.
    EXPECT_EQ(htmlToText("<p>один два три четыре</p>", 9), "один два\nтри\nчетыре\n");
    EXPECT_EQ(htmlToText("<ul><li>один два три</li></ul>", 10), "  - один\n    два\n    три\n");
    // A non-breaking space keeps its two words together; a word longer than the width stands alone.
    EXPECT_EQ(htmlToText("<p>a b&nbsp;c d</p>", 4), "a\nb c\nd\n");
    EXPECT_EQ(htmlToText("<p>ab abcdefgh c</p>", 4), "ab\nabcdefgh\nc\n");
    // Width 0 keeps every paragraph on one line.
    EXPECT_EQ(htmlToText("<p>один два три четыре пять</p>", 0), "один два три четыре пять\n");
}

}  // namespace
