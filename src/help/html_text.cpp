#include "help/html_text.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/codepage.h"

namespace tavlora {

namespace {

struct NamedEntity {
    std::string_view name;
    uint32_t codePoint;
};

// The entities the help pages use; the non-breaking space stays U+00A0 until the text is
// wrapped, so that it keeps its two words on one line.
constexpr NamedEntity kEntities[] = {
    {"lt", '<'},         {"gt", '>'},         {"amp", '&'},        {"quot", '"'},       {"apos", '\''},
    {"nbsp", 0x00A0},    {"laquo", 0x00AB},   {"raquo", 0x00BB},   {"mdash", 0x2014},   {"ndash", 0x2013},
    {"hellip", 0x2026},  {"le", 0x2264},      {"ge", 0x2265},      {"ne", 0x2260},      {"times", 0x00D7},
    {"minus", 0x2212},   {"rarr", 0x2192},    {"larr", 0x2190},    {"plusmn", 0x00B1},  {"middot", 0x00B7},
};

// The code point of an entity body ("amp", "#171", "#xAB"); nothing when unknown or invalid.
std::optional<uint32_t> entityCodePoint(std::string_view body) {
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7) return std::nullopt;
        uint32_t v = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            v = v * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        }
        // Control characters, surrogates and values beyond Unicode are not text.
        if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF) || (v < 0x20 && v != '\t' && v != '\n'))
            return std::nullopt;
        return v;
    }
    for (const NamedEntity& e : kEntities)
        if (e.name == body) return e.codePoint;
    return std::nullopt;
}

// Replaces the character entities of a piece of text; an unknown one stays as written.
std::string decodeEntities(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            const size_t semi = s.find(';', i + 1);
            if (semi != std::string_view::npos && semi - i <= 10) {
                if (auto cp = entityCodePoint(s.substr(i + 1, semi - i - 1))) {
                    appendUtf8(out, *cp);
                    i = semi;
                    continue;
                }
            }
        }
        out += s[i];
    }
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

int textWidth(std::string_view s) { return static_cast<int>(utf8Length(s)); }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

enum class BlockKind { Para, Heading1, Heading2, Item, Row, Pre };

struct Block {
    BlockKind kind = BlockKind::Para;
    int indent = 0;      // spaces before every line
    std::string marker;  // list item marker ("- ", "2. ")
    std::string text;    // inline text; '\n' is a forced line break
};

// Word-wraps text (with forced breaks at '\n') to width characters; the first line starts with
// firstPrefix, the others with restPrefix.
void wrapInto(std::string& out, std::string_view text, const std::string& firstPrefix, const std::string& restPrefix,
              int width) {
    bool firstLine = true;
    auto startLine = [&](std::string& line) {
        line = firstLine ? firstPrefix : restPrefix;
        firstLine = false;
    };
    size_t segStart = 0;
    bool firstSegment = true;
    while (segStart <= text.size()) {
        size_t segEnd = text.find('\n', segStart);
        if (segEnd == std::string_view::npos) segEnd = text.size();
        const std::string_view seg = text.substr(segStart, segEnd - segStart);
        if (!firstSegment) out += '\n';
        firstSegment = false;
        std::string line;
        startLine(line);
        bool lineHasWord = false;
        size_t pos = 0;
        while (pos < seg.size()) {
            while (pos < seg.size() && seg[pos] == ' ') ++pos;
            if (pos >= seg.size()) break;
            size_t end = seg.find(' ', pos);
            if (end == std::string_view::npos) end = seg.size();
            const std::string_view word = seg.substr(pos, end - pos);
            pos = end;
            if (lineHasWord && width > 0 && textWidth(line) + 1 + textWidth(word) > width) {
                out += line;
                out += '\n';
                startLine(line);
                lineHasWord = false;
            }
            if (lineHasWord) line += ' ';
            line += word;
            lineHasWord = true;
        }
        // A line of a forced break that holds no word is kept empty, without trailing blanks.
        if (!lineHasWord)
            while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line;
        if (segEnd >= text.size()) break;
        segStart = segEnd + 1;
    }
}

class Converter {
public:
    explicit Converter(int width) : width_(width) {}

    std::string run(std::string_view html) {
        size_t i = 0;
        while (i < html.size()) {
            if (html[i] != '<') {
                size_t next = html.find('<', i);
                if (next == std::string_view::npos) next = html.size();
                text(html.substr(i, next - i));
                i = next;
                continue;
            }
            if (html.compare(i, 4, "<!--") == 0) {
                const size_t end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const char c1 = i + 1 < html.size() ? html[i + 1] : '\0';
            const bool letter = (c1 >= 'a' && c1 <= 'z') || (c1 >= 'A' && c1 <= 'Z');
            if (c1 == '!' || c1 == '?') {  // <!DOCTYPE ...>, <?xml ...?>
                const size_t end = html.find('>', i);
                i = end == std::string_view::npos ? html.size() : end + 1;
                continue;
            }
            if (!letter && c1 != '/') {  // a lone "<" is text
                text(html.substr(i, 1));
                ++i;
                continue;
            }
            i = tag(html, i);
        }
        flush();
        return render();
    }

private:
    // Reads the tag at html[at] ("<name ...>" or "</name>") and returns the position after it.
    size_t tag(std::string_view html, size_t at) {
        size_t i = at + 1;
        const bool closing = html[i] == '/';
        if (closing) ++i;
        std::string name;
        while (i < html.size() && ((html[i] >= 'a' && html[i] <= 'z') || (html[i] >= 'A' && html[i] <= 'Z') ||
                                   (html[i] >= '0' && html[i] <= '9')))
            name += lowerAscii(html[i++]);
        // The end of the tag, skipping ">" inside quoted attribute values.
        char quote = '\0';
        bool selfClosing = false;
        for (; i < html.size(); ++i) {
            const char c = html[i];
            if (quote) {
                if (c == quote) quote = '\0';
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                selfClosing = i > at && html[i - 1] == '/';
                break;
            }
        }
        const size_t after = i < html.size() ? i + 1 : html.size();
        if (closing)
            endTag(name);
        else
            startTag(name, selfClosing);
        return after;
    }

    static bool skipped(const std::string& name) {
        return name == "head" || name == "style" || name == "script" || name == "title";
    }

    void startTag(const std::string& name, bool selfClosing) {
        if (skipped(name)) {
            if (!selfClosing) ++skipDepth_;
            return;
        }
        if (skipDepth_ > 0) return;
        if (name == "h1") {
            open(BlockKind::Heading1);
        } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '2' && name[1] <= '6') {
            open(BlockKind::Heading2);
        } else if (name == "p" || name == "div" || name == "blockquote" || name == "dd" || name == "dt") {
            open(BlockKind::Para);
        } else if (name == "ul" || name == "ol") {
            flush();
            lists_.push_back({name == "ol", 1});
        } else if (name == "li") {
            open(BlockKind::Item);
            if (!lists_.empty() && lists_.back().ordered)
                cur_->marker = std::to_string(lists_.back().next++) + ". ";
            else
                cur_->marker = "- ";
        } else if (name == "table") {
            flush();
        } else if (name == "tr") {
            open(BlockKind::Row);
            cells_ = 0;
        } else if (name == "td" || name == "th") {
            if (!cur_ || cur_->kind != BlockKind::Row) {
                open(BlockKind::Row);
                cells_ = 0;
            }
            if (cells_++ > 0) cur_->text += " | ";
            pendingSpace_ = false;
        } else if (name == "br") {
            if (cur_) {
                cur_->text += '\n';
                pendingSpace_ = false;
            }
        } else if (name == "pre") {
            open(BlockKind::Pre);
            ++preDepth_;
            preStart_ = true;
        } else if (name == "hr") {
            flush();
        }
        // Any other tag (a, b, i, code, span, ...) is inline: its text flows on.
    }

    void endTag(const std::string& name) {
        if (skipped(name)) {
            if (skipDepth_ > 0) --skipDepth_;
            return;
        }
        if (skipDepth_ > 0) return;
        if (name == "ul" || name == "ol") {
            flush();
            if (!lists_.empty()) lists_.pop_back();
        } else if (name == "pre") {
            if (preDepth_ > 0) --preDepth_;
            flush();
        } else if (name == "h1" || name == "h2" || name == "h3" || name == "h4" || name == "h5" || name == "h6" ||
                   name == "p" || name == "div" || name == "blockquote" || name == "dd" || name == "dt" ||
                   name == "li" || name == "tr" || name == "table" || name == "body") {
            flush();
        }
    }

    void text(std::string_view raw) {
        if (skipDepth_ > 0) return;
        const std::string s = decodeEntities(raw);
        if (preDepth_ > 0 && cur_ && cur_->kind == BlockKind::Pre) {
            size_t from = 0;
            // The line break right after <pre> belongs to the markup, not to the text.
            if (preStart_ && !s.empty() && s[0] == '\n') from = 1;
            if (preStart_ && s.size() >= 2 && s[0] == '\r' && s[1] == '\n') from = 2;
            preStart_ = false;
            for (size_t i = from; i < s.size(); ++i)
                if (s[i] != '\r') cur_->text += s[i];
            return;
        }
        for (char c : s) {
            if (isSpace(c)) {
                pendingSpace_ = true;
                continue;
            }
            if (!cur_) open(BlockKind::Para);
            if (pendingSpace_ && !cur_->text.empty() && cur_->text.back() != '\n' && cur_->text.back() != ' ')
                cur_->text += ' ';
            pendingSpace_ = false;
            cur_->text += c;
        }
    }

    int listIndent() const { return lists_.empty() ? 0 : static_cast<int>(lists_.size()) * 2; }

    void open(BlockKind kind) {
        flush();
        cur_ = Block{};
        cur_->kind = kind;
        if (kind == BlockKind::Item)
            cur_->indent = listIndent();  // items of the first level stand two blanks in
        else if (kind == BlockKind::Para || kind == BlockKind::Pre)
            cur_->indent = lists_.empty() ? 0 : listIndent() + 2;  // text inside a list item
        pendingSpace_ = false;
    }

    void flush() {
        if (cur_) {
            std::string& t = cur_->text;
            while (!t.empty() && (t.back() == ' ' || t.back() == '\n')) t.pop_back();
            if (!t.empty()) blocks_.push_back(std::move(*cur_));
            cur_.reset();
        }
        pendingSpace_ = false;
    }

    std::string render() const {
        std::string out;
        const Block* prev = nullptr;
        for (const Block& b : blocks_) {
            if (prev) {
                const bool tight = (prev->kind == BlockKind::Item && b.kind == BlockKind::Item) ||
                                   (prev->kind == BlockKind::Row && b.kind == BlockKind::Row);
                out += tight ? "\n" : "\n\n";
            }
            const std::string pad(static_cast<size_t>(b.indent), ' ');
            switch (b.kind) {
                case BlockKind::Heading1:
                case BlockKind::Heading2: {
                    std::string lines;
                    wrapInto(lines, b.text, "", "", width_);
                    int longest = 0;
                    size_t start = 0;
                    while (start <= lines.size()) {
                        size_t end = lines.find('\n', start);
                        if (end == std::string::npos) end = lines.size();
                        longest = std::max(longest, textWidth(std::string_view(lines).substr(start, end - start)));
                        start = end + 1;
                    }
                    out += lines;
                    out += '\n';
                    out += std::string(static_cast<size_t>(longest), b.kind == BlockKind::Heading1 ? '=' : '-');
                    break;
                }
                case BlockKind::Item:
                    wrapInto(out, b.text, pad + b.marker, pad + std::string(b.marker.size(), ' '), width_);
                    break;
                case BlockKind::Row:
                    wrapInto(out, b.text, pad, pad + "  ", width_);
                    break;
                case BlockKind::Pre: {
                    size_t start = 0;
                    while (start <= b.text.size()) {
                        size_t end = b.text.find('\n', start);
                        if (end == std::string::npos) end = b.text.size();
                        if (start > 0) out += '\n';
                        out += pad;
                        out.append(b.text, start, end - start);
                        start = end + 1;
                    }
                    break;
                }
                case BlockKind::Para:
                    wrapInto(out, b.text, pad, pad, width_);
                    break;
            }
            prev = &b;
        }
        if (!out.empty()) out += '\n';
        // The non-breaking spaces have kept their words together; the terminal shows blanks.
        std::string result;
        result.reserve(out.size());
        for (size_t i = 0; i < out.size(); ++i) {
            if (static_cast<unsigned char>(out[i]) == 0xC2 && i + 1 < out.size() &&
                static_cast<unsigned char>(out[i + 1]) == 0xA0) {
                result += ' ';
                ++i;
            } else {
                result += out[i];
            }
        }
        return result;
    }

    struct List {
        bool ordered;
        int next;
    };

    int width_;
    std::vector<Block> blocks_;
    std::optional<Block> cur_;
    std::vector<List> lists_;
    int skipDepth_ = 0;
    int preDepth_ = 0;
    bool preStart_ = false;
    int cells_ = 0;
    bool pendingSpace_ = false;
};

}  // namespace

std::string htmlToText(std::string_view html, int width) { return Converter(width).run(html); }

}  // namespace tavlora
