#include "cli/cli.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <unistd.h>

#include "core/text_forms.h"
#include "core/xlsx_table.h"

namespace tavlora::cli {

std::vector<Command>& commandTable() {
    static std::vector<Command> table;
    return table;
}

bool ArgReader::flag(const std::string& name) {
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == name) {
            args_.erase(it);
            return true;
        }
    }
    return false;
}

bool ArgReader::option(const std::string& name, std::string& value) {
    for (size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] == name) {
            if (i + 1 >= args_.size()) throw UsageError{"параметру " + name + " нужно значение"};
            value = args_[i + 1];
            args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
            return true;
        }
        if (args_[i].rfind(name + "=", 0) == 0) {
            value = args_[i].substr(name.size() + 1);
            args_.erase(args_.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

int ArgReader::intOption(const std::string& name, int defaultValue) {
    std::string v;
    if (!option(name, v)) return defaultValue;
    int out = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    if (ec != std::errc() || p != v.data() + v.size()) throw UsageError{"параметру " + name + " нужно целое число"};
    return out;
}

void ArgReader::expectNoOptions() const {
    for (const auto& a : args_)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw UsageError{"неизвестный параметр " + a};
}

std::pair<int64_t, int64_t> readRowRange(const std::string& text) {
    const auto whole = [](std::string_view t) -> std::optional<int64_t> {
        int64_t v = 0;
        const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
        return v;
    };
    const size_t dash = text.find('-');
    const std::string_view all(text);
    const auto first = whole(all.substr(0, dash));
    const auto last = dash == std::string::npos ? first : whole(all.substr(dash + 1));
    if (!first || !last || *first < 1 || *last < *first)
        throw UsageError{"параметру --rows нужны строки A-B, где 1 <= A <= B"};
    return {*first, *last};
}

std::vector<std::string> listWords(std::string_view text, char separator) {
    std::vector<std::string> out;
    for (std::string_view word : splitWords(text, std::string_view(&separator, 1)))
        if (const std::string_view t = trimText(word); !t.empty()) out.emplace_back(t);
    return out;
}

void printRow(std::ostream& out, const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) out << '\t';
        out << cells[i];
    }
    out << '\n';
}

TableOutput::TableOutput(std::ostream* out, ArgReader& args, std::string sheetName)
    : out_(out), sheetName_(std::move(sheetName)) {
    if (args.option("--xlsx", xlsxFile_) && xlsxFile_.empty()) throw UsageError{"option --xlsx needs a file name"};
}

void TableOutput::header(const std::vector<std::string>& captions) {
    if (out_) printRow(*out_, captions);
    captions_ = captions;
}

void TableOutput::row(const std::vector<std::string>& cells) {
    if (out_) printRow(*out_, cells);
    if (xlsxFile_.empty()) return;
    if (++rowCount_ <= kXlsxMaxDataRows) rows_.push_back(cells);
}

void TableOutput::finish() {
    if (xlsxFile_.empty()) return;
    checkXlsxTableSize(rowCount_, static_cast<int64_t>(captions_.size()));
    TExportTable table;
    table.sheetName = sheetName_;
    table.captions = captions_;
    table.rows.reserve(rows_.size());
    for (const auto& r : rows_) table.rows.push_back(exportRowFromTexts(r));
    rows_.clear();
    writeXlsxTable(xlsxFile_, table);
}

std::string terminalText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') continue;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

TerminalProgress::TerminalProgress() : tty_(::isatty(STDERR_FILENO) != 0) {}

TerminalProgress::~TerminalProgress() {
    if (drawn_) std::cerr << "\r\033[K" << std::flush;
}

void TerminalProgress::setText(const std::string& text) {
    text_ = text;
    lastPercent_ = -1;
    draw();
}

void TerminalProgress::setMaximum(int64_t maximum) {
    max_ = maximum;
    pos_ = 0;
    lastPercent_ = -1;
    draw();
}

void TerminalProgress::setPosition(int64_t position) {
    pos_ = position > max_ ? max_ : position;
    draw();
}

void TerminalProgress::draw() {
    if (!tty_) return;
    int percent = max_ > 0 ? static_cast<int>(pos_ * 100 / max_) : -1;
    if (percent == lastPercent_ && drawn_) return;
    lastPercent_ = percent;
    std::cerr << "\r\033[K" << text_;
    if (percent >= 0) std::cerr << ' ' << percent << '%';
    std::cerr << std::flush;
    drawn_ = !text_.empty() || percent >= 0;
}

void TerminalInteraction::message(MessageKind kind, const std::string& caption, const std::string& text) {
    (void)kind;
    err_ << caption << ": " << terminalText(text) << '\n';
}

bool TerminalInteraction::question(const std::string& caption, const std::string& text, bool) {
    err_ << caption << ": " << terminalText(text) << (yes_ ? " -> да (--yes)" : " -> нет (нужен --yes)") << '\n';
    return yes_;
}

}  // namespace tavlora::cli
