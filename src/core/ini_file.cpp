#include "core/ini_file.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"

namespace tavlora {

namespace {

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Names and values must stay on one line and a key may not contain '='.
std::string oneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// Takes an optional leading "-" or "+" off t; true when it was "-".
bool takeSign(std::string_view& t) {
    if (t.empty() || (t.front() != '-' && t.front() != '+')) return false;
    const bool negative = t.front() == '-';
    t.remove_prefix(1);
    return negative;
}

}  // namespace

IniFile::IniFile(const std::filesystem::path& path) { open(path); }

void IniFile::open(const std::filesystem::path& path) {
    path_ = path;
    sections_.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    loadFromBytes(readFileBytes(path));
}

void IniFile::loadFromBytes(std::string_view bytes) {
    sections_.clear();
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text = std::string(bytes.substr(3));  // edited by hand and saved as UTF-8
    else
        text = cp1251ToUtf8(bytes);
    sections_.push_back(Section{});
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string_view raw(text.data() + pos, end - pos);
        pos = end;
        if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        std::string_view t = trim(raw);
        Line line;
        line.text = std::string(raw);
        if (!t.empty() && t.front() == '[') {
            const std::size_t close = t.find(']');
            Section s;
            s.name = std::string(trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            s.headerText = std::string(raw);
            sections_.push_back(std::move(s));
            continue;
        }
        if (!t.empty() && t.front() != ';') {
            const std::size_t eq = t.find('=');
            if (eq != std::string_view::npos) {
                line.isKey = true;
                line.key = std::string(trim(t.substr(0, eq)));
                line.value = std::string(trim(t.substr(eq + 1)));
            }
        }
        sections_.back().lines.push_back(std::move(line));
    }
}

std::string IniFile::toBytes() const {
    std::string out;
    for (const Section& s : sections_) {
        if (&s != &sections_.front() || !s.name.empty() || !s.headerText.empty()) {
            out += s.headerText.empty() ? "[" + s.name + "]" : s.headerText;
            out += "\r\n";
        }
        for (const Line& l : s.lines) {
            out += l.isKey && l.text.empty() ? l.key + "=" + l.value : l.text;
            out += "\r\n";
        }
    }
    return utf8ToCp1251(out);
}

void IniFile::save() const { saveAs(path_); }

void IniFile::saveAs(const std::filesystem::path& path) const { writeFileAtomic(path, toBytes()); }

IniFile::Section* IniFile::findSection(std::string_view name) {
    const std::string_view n = trim(name);
    for (std::size_t i = 1; i < sections_.size(); ++i)
        if (equalsIgnoreCase(sections_[i].name, n)) return &sections_[i];
    return nullptr;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    return const_cast<IniFile*>(this)->findSection(name);
}

IniFile::Section& IniFile::ensureSection(std::string_view name) {
    if (Section* s = findSection(name)) return *s;
    if (sections_.empty()) sections_.push_back(Section{});
    Section s;
    s.name = oneLine(trim(name));
    sections_.push_back(std::move(s));
    return sections_.back();
}

bool IniFile::sectionExists(std::string_view section) const { return findSection(section) != nullptr; }

bool IniFile::keyExists(std::string_view section, std::string_view key) const {
    return value(section, key).has_value();
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (std::size_t i = 1; i < sections_.size(); ++i) out.push_back(sections_[i].name);
    return out;
}

std::vector<std::string> IniFile::sectionKeys(std::string_view section) const {
    std::vector<std::string> out;
    if (const Section* s = findSection(section))
        for (const Line& l : s->lines)
            if (l.isKey) out.push_back(l.key);
    return out;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (!s) return std::nullopt;
    const std::string_view k = trim(key);
    for (const Line& l : s->lines)
        if (l.isKey && equalsIgnoreCase(l.key, k)) {
            std::string_view v = l.value;
            // A value in matching quotes is read without them, as Windows does.
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return std::string(v);
        }
    return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const {
    auto v = value(section, key);
    return v ? *v : std::string(def);
}

std::optional<int32_t> IniFile::parseLeadingInteger(std::string_view text) {
    std::string_view t = trim(text);
    const bool negative = takeSign(t);
    if (t.empty() || t.front() < '0' || t.front() > '9') return std::nullopt;
    int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
        if (v > int64_t{INT32_MAX} + 1) v = int64_t{INT32_MAX} + 1;  // saturate
    }
    if (negative) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    return static_cast<int32_t>(v);
}

std::optional<int32_t> IniFile::parseInteger(std::string_view text) {
    std::string_view t = trim(text);
    const bool negative = takeSign(t);
    bool hex = false;
    if (!t.empty() && t.front() == '$') {
        hex = true;
        t.remove_prefix(1);
    } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        hex = true;
        t.remove_prefix(2);
    }
    if (t.empty()) return std::nullopt;
    if (hex) {
        if (t.size() > 8) return std::nullopt;
        uint32_t v = 0;
        auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 16);
        if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
        const auto bits = negative ? 0u - v : v;
        return static_cast<int32_t>(bits);
    }
    int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(v);
}

int32_t IniFile::readInteger(std::string_view section, std::string_view key, int32_t def) const {
    auto v = value(section, key);
    if (!v) return def;
    return parseInteger(*v).value_or(def);
}

std::optional<long double> IniFile::parseReal(std::string_view text) {
    std::string t(trim(text));
    if (t.empty()) return std::nullopt;
    for (char& c : t)
        if (c == ',') c = '.';
    const char* first = t.data();
    if (*first == '+') ++first;
    long double v = 0;
    auto [ptr, ec] = std::from_chars(first, t.data() + t.size(), v, std::chars_format::general);
    if (ec != std::errc() || ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

long double IniFile::readReal(std::string_view section, std::string_view key, long double def) const {
    auto v = value(section, key);
    if (!v) return def;
    return parseReal(*v).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    auto v = value(section, key);
    if (!v) return def;
    if (auto i = parseInteger(*v)) return *i != 0;
    const std::string t = toLowerUtf8(trim(*v));
    if (t == "true" || t == "yes" || t == "on") return true;
    if (t == "false" || t == "no" || t == "off") return false;
    return def;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    Section& s = ensureSection(section);
    const std::string_view k = trim(key);
    const std::string v = oneLine(value);
    for (Line& l : s.lines)
        if (l.isKey && equalsIgnoreCase(l.key, k)) {
            l.value = v;
            l.text.clear();  // rebuilt from key and value
            return;
        }
    Line line;
    line.isKey = true;
    std::string name = oneLine(k);
    for (char& c : name)
        if (c == '=') c = '_';
    line.key = std::move(name);
    line.value = v;
    // After the last non-blank line of the section, so blank lines between sections stay put.
    std::size_t at = s.lines.size();
    while (at > 0 && trim(s.lines[at - 1].text).empty() && !s.lines[at - 1].isKey) --at;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int64_t value) {
    writeString(section, key, std::to_string(value));
}

std::string IniFile::formatReal(long double value) {
    if (!std::isfinite(value)) value = 0;
    if (value == 0) value = 0;  // no "-0"
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string s = ec == std::errc() ? std::string(buf, ptr) : std::string("0");
    const char sep = systemDecimalSeparator();
    for (char& c : s)
        if (c == '.') c = sep;
    return s;
}

void IniFile::writeReal(std::string_view section, std::string_view key, long double value) {
    writeString(section, key, formatReal(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniFile::eraseSection(std::string_view section) {
    const std::string_view n = trim(section);
    for (std::size_t i = 1; i < sections_.size();)
        if (equalsIgnoreCase(sections_[i].name, n))
            sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
}

void IniFile::eraseKey(std::string_view section, std::string_view key) {
    Section* s = findSection(section);
    if (!s) return;
    const std::string_view k = trim(key);
    std::erase_if(s->lines, [&](const Line& l) { return l.isKey && equalsIgnoreCase(l.key, k); });
}

}  // namespace tavlora
