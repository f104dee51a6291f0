#include "core/xlsx_table.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <system_error>
#include <unistd.h>

#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"

namespace tavlora {

namespace {

// Owns the workbook until it is closed; an early exit (an exception) still closes it so that the
// library frees its memory and temporary files.
class Workbook {
public:
    explicit Workbook(const std::string& file) {
        lxw_workbook_options options{};
        // Rows are written in order and flushed as they go, so a long list does not sit in memory
        // twice.
        options.constant_memory = LXW_TRUE;
        wb_ = workbook_new_opt(file.c_str(), &options);
    }
    ~Workbook() {
        if (wb_) workbook_close(wb_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    lxw_workbook* get() const { return wb_; }
    lxw_error close() {
        lxw_workbook* wb = wb_;
        wb_ = nullptr;
        return workbook_close(wb);
    }

private:
    lxw_workbook* wb_ = nullptr;
};

std::string writeError(const std::filesystem::path& file, const std::string& reason) {
    return fmt("Ошибка записи в файл \"%s\"!\r\r%s", file.string(), reason);
}

}  // namespace

void checkXlsxTableSize(int64_t dataRows, int64_t columns) {
    if (dataRows > kXlsxMaxDataRows || columns > kXlsxMaxColumns)
        throw EError(fmt("Таблица слишком велика для листа Excel: %d строк и %d колонок (не более %d строк и %d "
                         "колонок)!",
                         dataRows, columns, kXlsxMaxDataRows, kXlsxMaxColumns));
}

TExportCell exportCellFromText(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative || (!text.empty() && text[0] == '+')) i = 1;
    std::string plain(negative ? "-" : "");
    int digits = 0, significant = 0;
    bool point = false, digitsAfterPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            if (significant > 0 || c != '0') ++significant;
            if (point) digitsAfterPoint = true;
            plain += c;
        } else if ((c == ',' || c == '.') && !point && digits > 0) {
            point = true;
            plain += '.';
        } else {
            return TExportCell::ofText(std::string(text));
        }
    }
    if (digits == 0 || (point && !digitsAfterPoint) || significant > 15) return TExportCell::ofText(std::string(text));
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size()) return TExportCell::ofText(std::string(text));
    return TExportCell::ofNumber(value);
}

std::vector<TExportCell> exportRowFromTexts(const std::vector<std::string>& texts) {
    std::vector<TExportCell> row;
    row.reserve(texts.size());
    for (const std::string& t : texts) row.push_back(exportCellFromText(t));
    return row;
}

std::string exportSheetName(std::string_view caption) {
    std::string name;
    for (char c : caption) name += std::string_view("[]:*?/\\").find(c) == std::string_view::npos ? c : '_';
    const auto first = name.find_first_not_of('\'');
    if (first == std::string::npos) name.clear();
    else name = name.substr(first, name.find_last_not_of('\'') - first + 1);
    // Cut after the 31st code point.
    std::size_t chars = 0, cut = 0;
    for (; cut < name.size(); ++cut) {
        if ((static_cast<unsigned char>(name[cut]) & 0xC0) != 0x80 && ++chars > 31) break;
    }
    name.resize(cut);
    // The cut may leave an apostrophe at the end.
    while (!name.empty() && name.back() == '\'') name.pop_back();
    return name.empty() ? std::string("Лист1") : name;
}

std::vector<int> fittedColumnWidths(const TExportTable& table) {
    std::vector<std::size_t> longest(table.captions.size(), 0);
    for (std::size_t c = 0; c < table.captions.size(); ++c) longest[c] = utf8Length(table.captions[c]);
    for (const auto& row : table.rows) {
        if (row.size() > longest.size()) longest.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::size_t len = row[c].isNumber ? 12 : utf8Length(row[c].text);
            longest[c] = std::max(longest[c], len);
        }
    }
    std::vector<int> widths;
    for (std::size_t len : longest) widths.push_back(static_cast<int>(std::clamp<std::size_t>(len, 4, 60) * 7 + 10));
    return widths;
}

void writeXlsxTable(const std::filesystem::path& file, const TExportTable& table) {
    std::size_t columns = table.captions.size();
    for (const auto& row : table.rows) columns = std::max(columns, row.size());
    checkXlsxTableSize(static_cast<int64_t>(table.rows.size()), static_cast<int64_t>(columns));

    // Written beside the target and renamed over it at the end.
    std::filesystem::path temp = file;
    temp += fmt(".~%d.tmp", static_cast<int>(::getpid()));
    std::error_code ignored;
    {
        Workbook wb(temp.string());
        if (!wb.get()) throw EError(writeError(file, "не удалось создать книгу"));
        const std::string sheetName = exportSheetName(table.sheetName);
        lxw_worksheet* sheet = workbook_add_worksheet(wb.get(), sheetName.c_str());
        lxw_format* bold = workbook_add_format(wb.get());
        if (!sheet || !bold) throw EError(writeError(file, "не удалось создать лист \"" + sheetName + "\""));
        format_set_bold(bold);

        const std::vector<int> fitted = fittedColumnWidths(table);
        for (std::size_t c = 0; c < columns; ++c) {
            const int w = c < table.widths.size() && table.widths[c] > 0 ? table.widths[c] : fitted[c];
            worksheet_set_column_pixels(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                        static_cast<uint32_t>(w), nullptr);
        }
        lxw_error err = LXW_NO_ERROR;
        auto check = [&](lxw_error e) {
            if (e != LXW_NO_ERROR && err == LXW_NO_ERROR) err = e;
        };
        for (std::size_t c = 0; c < table.captions.size(); ++c)
            check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), table.captions[c].c_str(), bold));
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            const auto& cells = table.rows[r];
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                if (cells[c].isNumber) check(worksheet_write_number(sheet, row, col, cells[c].number, nullptr));
                else if (!cells[c].text.empty())
                    check(worksheet_write_string(sheet, row, col, cells[c].text.c_str(), nullptr));
            }
        }
        if (err != LXW_NO_ERROR) {
            wb.close();
            std::filesystem::remove(temp, ignored);
            throw EError(writeError(file, lxw_strerror(err)));
        }
        const lxw_error closed = wb.close();
        if (closed != LXW_NO_ERROR) {
            std::filesystem::remove(temp, ignored);
            throw EError(writeError(file, lxw_strerror(closed)));
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ignored);
        throw EError(writeError(file, ec.message()));
    }
}

}  // namespace tavlora
