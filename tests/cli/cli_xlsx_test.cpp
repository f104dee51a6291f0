// `--xlsx FILE` of the list commands: the workbook is read back by an independent reader (Python's
// zipfile and XML parser, tests/scripts/xlsx_cells.py) and must hold the same cells as the table
// printed to standard output, numbers as numeric cells, the header bold, one sheet named after
// the window's tab.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::CliResult;
using tavlora::test::readTextFile;
using tavlora::test::shellQuoted;
using tavlora::test::tableRows;
using tavlora::test::TempDir;

namespace {

CliResult cli(const TempDir& dir, const std::vector<std::string>& args) { return tavlora::test::runCli(dir.path(), args); }

struct ReadBack {
    std::string sheet;
    std::vector<std::string> widths;
    std::vector<std::vector<std::string>> rows;  // cells as the reader prints them: [*]n..., [*]s..., -
};

ReadBack readWorkbook(const std::filesystem::path& file) {
    const std::filesystem::path out = file.string() + ".cells";
    const std::string cmd = std::string(TAVLORA_PYTHON) + " " +
                            shellQuoted(std::string(TAVLORA_TEST_SERVERS_DIR) + "/../scripts/xlsx_cells.py") + " " +
                            shellQuoted(file.string()) + " >" + shellQuoted(out.string());
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "the reader failed on " << file;
    auto lines = tableRows(readTextFile(out));
    ReadBack r;
    if (lines.size() < 2) return r;
    r.sheet = lines[0].empty() ? "" : lines[0][0];
    r.widths = lines[1];
    r.rows.assign(lines.begin() + 2, lines.end());
    return r;
}

// A printed text that a spreadsheet must hold as a number: an optionally signed decimal with
// "." or "," as the point.
bool looksNumeric(const std::string& t) {
    static const std::regex number(R"([-+]?[0-9]{1,15}([.,][0-9]+)?)");
    return std::regex_match(t, number);
}

// Compares the printed table with the workbook cell by cell.
void expectSameCells(const std::string& printed, const ReadBack& book) {
    const auto rows = tableRows(printed);
    ASSERT_FALSE(rows.empty());
    ASSERT_EQ(book.rows.size(), rows.size());
    ASSERT_EQ(book.widths.size(), rows[0].size()) << "a width for every column";
    for (const std::string& w : book.widths) EXPECT_GT(std::atof(w.c_str()), 0.5) << "column width " << w;
    for (std::size_t c = 0; c < rows[0].size(); ++c)
        EXPECT_EQ(c < book.rows[0].size() ? book.rows[0][c] : "", "*s" + rows[0][c]) << "header cell " << c;
    int numbers = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& got = book.rows[r];
        const std::size_t width = std::max(rows[r].size(), got.size());
        for (std::size_t c = 0; c < width; ++c) {
            const std::string t = c < rows[r].size() ? rows[r][c] : "";
            const std::string x = c < got.size() ? got[c] : "-";
            SCOPED_TRACE("row " + std::to_string(r) + " column " + std::to_string(c) + ": \"" + t + "\" vs " + x);
            if (t.empty()) {
                EXPECT_EQ(x, "-");
            } else if (looksNumeric(t)) {
                ASSERT_EQ(x.substr(0, 1), "n") << "a number stored as text";
                std::string dotted = t;
                for (char& ch : dotted)
                    if (ch == ',') ch = '.';
                EXPECT_DOUBLE_EQ(std::strtod(x.c_str() + 1, nullptr), std::strtod(dotted.c_str(), nullptr));
                ++numbers;
            } else {
                EXPECT_EQ(x, "s" + t);
            }
        }
    }
    EXPECT_GT(numbers, 0) << "the table had numeric cells to check";
}

TEST(CliXlsx, EveryListCommandWritesTheSameCellsItPrints) {
    TempDir dir;
    ASSERT_EQ(cli(dir, {"archive", "import", std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv"}).status, 0);
    // Two stakes checked against the three newest draws give stake rows with money and matches,
    // and a rating row with percentages.
    ASSERT_EQ(cli(dir, {"--offset", "3", "stakes", "add", "--numbers", "14;20;59;8;30", "--draws", "3", "--comment",
                        "сценарий [1]: x"})
                  .status,
              0);
    ASSERT_EQ(cli(dir, {"--offset", "2", "stakes", "add", "--numbers", "6;17;27;48;50"}).status, 0);
    ASSERT_EQ(cli(dir, {"stakes", "check"}).status, 0);
    ASSERT_EQ(cli(dir, {"--yes", "ratings", "refresh"}).status, 0);

    struct Case {
        std::vector<std::string> args;
        std::string sheet;
        std::size_t minRows;  // header included
    };
    const std::vector<Case> cases = {
        {{"archive", "list", "--last", "40"}, "Архив тиражей", 41},
        {{"--sorted", "archive", "list"}, "Архив тиражей", 1391},
        {{"table", "nums", "--window", "100", "--norms"}, "Статистика", 70},
        {{"table", "EVNV", "--window", "50"}, "Статистика", 2},
        {{"stakes", "list"}, "Ставки", 4},
        {{"ratings", "list", "--mode", "2"}, "Рейтинг", 2},
        {{"combs", "generate", "--mode", "2", "--params", "1;2;3;4;5;6;7;8;9;10", "--list"}, "Комбинации", 253},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const std::filesystem::path file = dir.path() / ("out" + std::to_string(++n) + ".xlsx");
        auto args = c.args;
        args.insert(args.end(), {"--xlsx", file.string()});
        const CliResult withBook = cli(dir, args);
        ASSERT_EQ(withBook.status, 0) << withBook.err;
        // Standard output is the table the command prints without the option.
        EXPECT_EQ(withBook.out, cli(dir, c.args).out);
        ASSERT_GE(tableRows(withBook.out).size(), c.minRows);
        const ReadBack book = readWorkbook(file);
        EXPECT_EQ(book.sheet, c.sheet);
        expectSameCells(withBook.out, book);
    }
}

TEST(CliXlsx, RefusesWhatASheetCannotHoldAndKeepsTheOldFile) {
    TempDir dir;
    const std::filesystem::path file = dir.path() / "combs.xlsx";
    {
        std::ofstream old(file);
        old << "old";
    }
    // The full list has 11,238,513 rows; a sheet holds 1,048,575 under its header.
    const CliResult r = cli(dir, {"combs", "generate", "--mode", "0", "--xlsx", file.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Таблица слишком велика для листа Excel: 11238513 строк"), std::string::npos) << r.err;
    EXPECT_EQ(readTextFile(file), "old");

    // A folder that does not exist: the failure is reported, nothing else is left behind.
    ASSERT_EQ(cli(dir, {"archive", "import", std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv"}).status, 0);
    const CliResult missing = cli(dir, {"archive", "list", "--xlsx", (dir.path() / "no" / "a.xlsx").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Ошибка записи в файл"), std::string::npos) << missing.err;
    EXPECT_EQ(cli(dir, {"archive", "list", "--xlsx", ""}).status, 2);
}

}  // namespace
