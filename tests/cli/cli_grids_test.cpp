// End-to-end tests of `tavlora-cli layout`, `week`, `card` and `filter-numbers` on the bundled
// archive, each against a computation of its own made here from the archive's CSV.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;
using tavlora::test::tableRows;

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct SampleDraw {
    int number = 0;
    std::vector<int> nums;
    int month = 0, day = 0, year = 0;
};

// The CSV lines: number;"mm/dd/yyyy";five numbers;extra.
std::vector<SampleDraw> sampleWithDates() {
    std::vector<SampleDraw> out;
    std::ifstream in(tavlora::test::sampleCsv());
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::istringstream ls(line);
        for (std::string cell; std::getline(ls, cell, ';');) f.push_back(cell);
        if (f.size() < 8) continue;
        SampleDraw d;
        d.number = std::stoi(f[0]);
        const std::string date = f[1].substr(1, 10);
        d.month = std::stoi(date.substr(0, 2));
        d.day = std::stoi(date.substr(3, 2));
        d.year = std::stoi(date.substr(6, 4));
        for (size_t i = 2; i < 7; ++i) d.nums.push_back(std::stoi(f[i]));
        out.push_back(d);
    }
    return out;
}

// Monday = 1 ... Sunday = 7 by Sakamoto's rule (which counts Sunday as 0).
int weekday(int y, int m, int d) {
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3) y -= 1;
    const int w = (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
    return w == 0 ? 7 : w;
}

class CliGrids : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        const auto r = tavlora::test::runCli(dir_->path(), {"archive", "import", tavlora::test::sampleCsv()});
        ASSERT_EQ(r.status, 0) << r.err;
        draws_ = sampleWithDates();
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static tavlora::test::CliResult run(const std::vector<std::string>& args) {
        return tavlora::test::runCli(dir_->path(), args);
    }
    static TempDir* dir_;
    static std::vector<SampleDraw> draws_;
};
TempDir* CliGrids::dir_ = nullptr;
std::vector<SampleDraw> CliGrids::draws_;

// The layout: for every number of the window its count and its newest draw; the grid's rows are
// the counts, its columns the newest draws, both descending; a cell lists its numbers in the
// order they are met walking back from the newest draw, the next draw's numbers bracketed.
TEST_F(CliGrids, LayoutEqualsAnIndependentCount) {
    ASSERT_EQ(draws_.size(), 1390u);
    for (const int offset : {0, 5}) {
        for (const int window : {1, 100, 5000}) {
            SCOPED_TRACE("offset " + std::to_string(offset) + " window " + std::to_string(window));
            const int end = static_cast<int>(draws_.size()) - 1 - offset;
            const int start = std::max(0, end - window + 1);
            std::map<int, int> count, last;
            std::vector<int> order;
            for (int i = end; i >= start; --i)
                for (int n : draws_[static_cast<size_t>(i)].nums) {
                    if (!count.count(n)) {
                        order.push_back(n);
                        last[n] = draws_[static_cast<size_t>(i)].number;
                    }
                    ++count[n];
                }
            std::set<int> next;
            if (offset > 0)
                for (int n : draws_[static_cast<size_t>(end + 1)].nums) next.insert(n);
            std::set<int, std::greater<>> counts, lasts;
            for (int n : order) {
                counts.insert(count[n]);
                lasts.insert(last[n]);
            }
            const auto r = run({"--offset", std::to_string(offset), "layout", "--window", std::to_string(window)});
            ASSERT_EQ(r.status, 0) << r.err;
            const Rows rows = tableRows(r.out);
            ASSERT_EQ(rows.size(), counts.size() + 1);
            std::vector<std::string> header{""};
            for (int d : lasts) header.push_back(std::to_string(d));
            EXPECT_EQ(rows[0], header);
            size_t ri = 1;
            int bracketed = 0;
            for (int c : counts) {
                std::vector<std::string> want{std::to_string(c)};
                for (int d : lasts) {
                    std::string cell;
                    for (int n : order) {
                        if (count[n] != c || last[n] != d) continue;
                        if (!cell.empty()) cell += ", ";
                        const bool b = next.count(n) > 0;
                        bracketed += b;
                        cell += b ? "[" + std::to_string(n) + "]" : std::to_string(n);
                    }
                    want.push_back(cell);
                }
                // A row printed with trailing empty cells reads back shorter.
                while (want.size() > rows[ri].size() && want.back().empty()) want.pop_back();
                EXPECT_EQ(rows[ri], want) << "row " << ri;
                ++ri;
            }
            if (offset > 0 && window == 5000) {
                EXPECT_GT(bracketed, 0);
            }
        }
    }
    // A one-draw window: one row, one column, the draw's five numbers.
    const Rows one = tableRows(run({"layout", "--window", "1"}).out);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0], (std::vector<std::string>{"", std::to_string(draws_.back().number)}));
    EXPECT_EQ(one[1][0], "1");
}

TEST_F(CliGrids, CompareListsCountTheirWindowsAndIgnoreLengthsBelowOne) {
    const auto r = run({"--offset", "5", "layout", "--window", "3", "--compare", "50,0,-2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Rows rows = tableRows(r.out);
    const auto at = std::find(rows.begin(), rows.end(), std::vector<std::string>{"Кол-во", "1336 - 1385"});
    ASSERT_NE(at, rows.end()) << r.out;
    // The 50 draws ending 5 before the newest: each count once, descending, with its numbers.
    std::map<int, int> count;
    for (size_t i = 1385 - 50; i <= 1384; ++i)
        for (int n : draws_[i].nums) ++count[n];
    std::map<int, int, std::greater<>> perCount;
    for (const auto& [n, c] : count) ++perCount[c];
    auto row = at + 1;
    for (const auto& [c, numbers] : perCount) {
        ASSERT_NE(row, rows.end());
        ASSERT_EQ(row->size(), 2u);
        EXPECT_EQ((*row)[0], std::to_string(c));
        EXPECT_EQ(std::count((*row)[1].begin(), (*row)[1].end(), ','), numbers - 1);
        ++row;
    }
    // The lengths 0 and -2 print only their headers, without a window caption.
    ASSERT_NE(row, rows.end());
    EXPECT_TRUE(row->empty());
    EXPECT_EQ(*(row + 1), (std::vector<std::string>{"Кол-во"}));
    EXPECT_TRUE((row + 2)->empty());
    EXPECT_EQ(*(row + 3), (std::vector<std::string>{"Кол-во"}));
    EXPECT_EQ(row + 4, rows.end());
}

TEST_F(CliGrids, WeekEqualsAnIndependentCount) {
    const char* names[] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
    for (const int offset : {0, 5}) {
        for (const int window : {10, 1000, 5000}) {
            SCOPED_TRACE("offset " + std::to_string(offset) + " window " + std::to_string(window));
            const int end = static_cast<int>(draws_.size()) - 1 - offset;
            const int start = std::max(0, end - window + 1);
            std::array<std::array<int, 70>, 8> counts{};
            for (int i = start; i <= end; ++i) {
                const SampleDraw& d = draws_[static_cast<size_t>(i)];
                for (int n : d.nums) ++counts[static_cast<size_t>(weekday(d.year, d.month, d.day))][static_cast<size_t>(n)];
            }
            const auto r = run({"--offset", std::to_string(offset), "week", "--window", std::to_string(window)});
            ASSERT_EQ(r.status, 0) << r.err;
            const Rows rows = tableRows(r.out);
            ASSERT_EQ(rows.size(), 8u);
            ASSERT_EQ(rows[0].size(), 70u);
            EXPECT_EQ(rows[0][69], "69");
            for (int day = 1; day <= 7; ++day) {
                std::vector<std::string> want{names[day - 1]};
                for (int n = 1; n <= 69; ++n) {
                    const int c = counts[static_cast<size_t>(day)][static_cast<size_t>(n)];
                    want.push_back(c ? std::to_string(c) : "");
                }
                while (want.size() > rows[static_cast<size_t>(day)].size() && want.back().empty()) want.pop_back();
                EXPECT_EQ(rows[static_cast<size_t>(day)], want) << names[day - 1];
            }
        }
    }
}

TEST_F(CliGrids, CardShowsEveryDrawNewestFirst) {
    const auto r = run({"--offset", "7", "card", "--rows", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Rows rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].front(), "Тираж");
    EXPECT_EQ(rows[0].back(), "E");
    for (size_t k = 0; k < 3; ++k) {
        const SampleDraw& d = draws_[draws_.size() - 1 - k];  // the offset does not apply
        const auto& cells = rows[k + 1];
        ASSERT_EQ(cells.size(), 71u);
        EXPECT_EQ(cells[0], std::to_string(d.number));
        for (int n = 1; n <= 69; ++n) {
            const bool drawn = std::find(d.nums.begin(), d.nums.end(), n) != d.nums.end();
            EXPECT_EQ(cells[static_cast<size_t>(n)], drawn ? std::to_string(n) : "") << n;
        }
    }
    EXPECT_EQ(tableRows(run({"card"}).out).size(), draws_.size() + 1);
}

TEST_F(CliGrids, FilterNumbersKeepsOrRemovesCombinationsWithAnyOfTheNumbers) {
    // C(69,5) - C(67,5) combinations hold 7 or 21; C(66,5) hold none of 7, 21, 33.
    struct Case {
        std::string values, mode, want;
        int status;
    };
    const Case cases[] = {
        {"7; 21", "--keep", "Комбинаций: 1580865", 0},
        {" 21;7;21 ", "--keep", "Комбинаций: 1580865", 0},
        {"7; 21; 33", "--remove", "Комбинаций: 8936928", 0},
        {"", "--keep", "", 1},
        {"7; 70", "--keep", "", 2},
        {"7; x", "--remove", "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.values + " " + c.mode);
        const auto r = run({"filter-numbers", "--values", c.values, c.mode});
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.out, c.want + "\n");
        }
        if (c.status == 1) {
            EXPECT_NE(r.err.find("В выделенном диапазоне нет значений для фильтра!"), std::string::npos);
        }
    }
}

}  // namespace
