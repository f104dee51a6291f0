// The catalogue side of the wheeling systems without a service: normalisation and the checks of
// an own system, the replies of the catalogue, the download into the systems folder.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "stakes/systems.h"
#include "stakes/systems_catalogue.h"
#include "test_support.h"

namespace {

using namespace tavlora;
using tavlora::test::TempDir;

std::time_t mtimeOf(const std::filesystem::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mtim.tv_sec;
}

TEST(SystemsCatalogue, NormalisationKeepsFiveNumberLinesAndTakesKFromTheLargestPosition) {
    const struct {
        const char* text;
        const char* normalised;
        int numbers;
        int count;
    } cases[] = {
        {"1,2,3,4,5", "01 02 03 04 05\n", 5, 1},
        {"1 2 3 4\n1 2 3 4 5 6\n", "", 0, 0},                                   // four and six words dropped
        {"3 4 5 6 7\r\n4;5;6;7;8\r\n", "03 04 05 06 07\n04 05 06 07 08\n", 8, 2},  // K = 8, not 8-3+1
        {"01-02-03-04-70\n1 1 2 3 4\na b c d e\n5a 2 3 4 1\n", "", 0, 0},       // out of range, repeated, words
        {"  9 | 12 / 1 ~ 2 = 3  \n", "09 12 01 02 03\n", 12, 1},                // separators, order kept
        {"", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TNormalisedSystem n = normaliseSystemText(c.text);
        EXPECT_EQ(n.text, c.normalised);
        EXPECT_EQ(n.numbers, c.numbers);
        EXPECT_EQ(n.count, c.count);
    }
}

TEST(SystemsCatalogue, ChecksRunInOrderAndNameTheFirstFailure) {
    // Every field wrong at first; each step mends the field of the previous message.
    TSystemData data;
    data.info.title = "  ";
    data.info.numbers = 5;
    data.info.block = 5;
    data.combinations = "01 02 03 04 08\n";
    const struct {
        void (*mend)(TSystemData&);
        std::optional<std::string> expected;
    } steps[] = {
        {[](TSystemData&) {}, kSystemTitleRequired},
        {[](TSystemData& d) { d.info.title = "Моя система"; }, kSystemNumbersInvalid},
        {[](TSystemData& d) { d.info.numbers = 7; }, kSystemNumbersInvalid},  // below the largest position 8
        {[](TSystemData& d) { d.info.numbers = 70; }, kSystemNumbersInvalid},
        {[](TSystemData& d) { d.info.numbers = 8; }, kSystemBlockInvalid},
        {[](TSystemData& d) { d.info.block = 4; }, kSystemAuthorRequired},
        {[](TSystemData& d) { d.info.author = "Автор"; }, kSystemDescriptionRequired},
        {[](TSystemData& d) { d.info.description = "Описание"; }, std::nullopt},
        {[](TSystemData& d) { d.combinations = "\n \n"; }, kSystemListRequired},
    };
    int step = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(step++);
        s.mend(data);
        EXPECT_EQ(checkSystemInput(data), s.expected);
    }
    // The texts the user sees are spelt right.
    EXPECT_EQ(std::string(kSystemNumbersInvalid), "Указано недопустимое количество используемых чисел!");
    EXPECT_EQ(std::string(kSystemBlockInvalid), "Указан недопустимый размер блока!");
}

TEST(SystemsCatalogue, ListRepliesAreReadSafelyAndRoundTrip) {
    const std::string reply =
        "<?xml version=\"1.0\"?>\n<result>\n"
        "<row><title>A &lt;b&gt; &amp; &quot;c&quot; &#1046;&#x44F;</title><id> 12 </id><nums>12</nums><olap>3</olap>"
        "<csize>22</csize><descr></descr><author>Иван</author><cl_mail>I@x.ru</cl_mail><url>http://s/?a=1&amp;b=2</url>"
        "<created>2024-02-29 23:59:58</created><downloads>5</downloads><last_download>2024-02-30 00:00:00</last_download>"
        "</row>\n"
        "<row><id>1</id><nums>5</nums><olap>0</olap><csize>1</csize></row>\n"     // K below 6
        "<row><id>2</id><nums>8</nums><olap>5</olap><csize>1</csize></row>\n"     // block above 4
        "<row><id>x</id><nums>8</nums><olap>0</olap><csize>1</csize></row>\n"     // unreadable id
        "<row><id>3</id><nums>8</nums><olap>0</olap><csize>-1</csize></row>\n"    // negative count
        "<row><id>4</id><nums>8</nums><olap>0</olap></row>\n"                     // no count
        "<row><id>5</id><nums>69</nums><olap>0</olap><csize>0</csize><downloads>many</downloads></row>\n"
        "</result>\n";
    const TSystemListReply list = parseSystemListReply(reply);
    EXPECT_EQ(list.skipped, 5);
    ASSERT_EQ(list.systems.size(), 2u);
    const TSystemInfo& s = list.systems[0];
    EXPECT_EQ(s.id, 12);
    EXPECT_EQ(s.numbers, 12);
    EXPECT_EQ(s.block, 3);
    EXPECT_EQ(s.count, 22);
    EXPECT_EQ(s.title, "A <b> & \"c\" Жя");
    EXPECT_EQ(s.author, "Иван");
    EXPECT_EQ(s.ownerMail, "I@x.ru");
    EXPECT_EQ(s.link, "http://s/?a=1&b=2");
    EXPECT_EQ(s.created, "2024-02-29 23:59:58");
    EXPECT_EQ(s.lastDownload, "");  // February 30 is no date
    EXPECT_EQ(s.downloads, 5);
    EXPECT_EQ(list.systems[1].downloads, 0);

    // Rendered and read again, the list is the same.
    const TSystemListReply again = parseSystemListReply(renderSystemListReply(list.systems));
    EXPECT_EQ(again.systems, list.systems);
    EXPECT_EQ(again.skipped, 0);

    // A reply in Windows-1251 is read as such.
    const TSystemListReply cp = parseSystemListReply(utf8ToCp1251(
        "<result><row><id>9</id><nums>6</nums><olap>0</olap><csize>1</csize><title>Система</title></row></result>"));
    ASSERT_EQ(cp.systems.size(), 1u);
    EXPECT_EQ(cp.systems[0].title, "Система");
}

TEST(SystemsCatalogue, OnlyRealDatesAreRead) {
    const struct {
        const char* text;
        bool real;
    } cases[] = {
        {"2024-02-29 23:59:58", true},  {"1970-01-02 00:00:00", true},  {"2024-02-30 00:00:00", false},
        {"2023-02-29 12:00:00", false}, {"2024-04-31 12:00:00", false}, {"2024-13-01 00:00:00", false},
        {"2024-01-02 24:00:00", false}, {"2024-01-02 10:60:00", false}, {"2024-01-02 10:00:60", false},
        {"1969-12-31 23:59:59", false}, {"2024-1-02 10:00:00", false},  {"2024-01-02T10:00:00", false},
        {"2024-01-02 10:00:0x", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(parseSystemDate(c.text).has_value(), c.real) << c.text;
}

TEST(SystemsCatalogue, ErrorElementsAndBrokenRepliesAreRefused) {
    const struct {
        const char* reply;
        const char* message;  // part of the EError text
    } cases[] = {
        {"<error>Каталог закрыт &amp; ремонт</error>", "Каталог закрыт & ремонт"},
        {"<response><error>  </error></response>", "без описания"},
        {"<html>Not found</html>", "нет элемента result"},
        {"<result><row><id>1</id>", "нет закрывающего тега"},
        {"", "нет элемента result"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        try {
            parseSystemListReply(c.reply);
            ADD_FAILURE() << "accepted";
        } catch (const EError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(parseSystemDataReply("<result><clist>01 02 03 04 05\n06 07 08 09 10</clist></result>"),
              "01 02 03 04 05\n06 07 08 09 10");
    EXPECT_EQ(parseSystemSaveReply("<result><id_systems> 42 </id_systems></result>"), 42);
    EXPECT_THROW(parseSystemSaveReply("<result><id_systems>0</id_systems></result>"), EError);
    EXPECT_THROW(parseSystemSaveReply("<result><id_systems>4x</id_systems></result>"), EError);
    EXPECT_THROW(parseSystemDataReply("<error>нет такой системы</error>"), EError);
}

TEST(SystemsCatalogue, FormFieldsAreSentAsPercentEncodedUtf8) {
    EXPECT_EQ(formEncode({{"comblen", "5"}, {"maxnums", "69"}}), "comblen=5&maxnums=69");
    EXPECT_EQ(formEncode({{"title", "a b&c=d+е"}, {"clist", "01 02\n"}, {"url", ""}}),
              "title=a%20b%26c%3Dd%2B%D0%B5&clist=01%2002%0A&url=");
}

TSystemInfo info(int32_t id, int k, int block, int count, const std::string& created) {
    TSystemInfo s;
    s.id = id;
    s.numbers = static_cast<uint8_t>(k);
    s.block = static_cast<uint8_t>(block);
    s.count = count;
    s.created = created;
    return s;
}

TEST(SystemsCatalogue, DownloadKeepsOneSystemPerKAndRefusesAWrongCount) {
    TempDir dir;
    const auto systems = dir / "Systems";
    const std::string lines12 = "1 2 3 4 5\n12 11 10 9 8\n";

    // A count that differs from the entry's: refused with the counts, nothing written.
    try {
        storeDownloadedSystem(systems, info(42, 12, 3, 3, "2024-01-02 03:04:05"), lines12);
        ADD_FAILURE() << "accepted";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Количество скачанных комбинаций ( 2 ) отличается от ожидаемого значения ( 3 )");
    }
    EXPECT_FALSE(std::filesystem::exists(systems));
    // A position beyond K is refused as well.
    EXPECT_THROW(storeDownloadedSystem(systems, info(42, 12, 3, 1, ""), "1 2 3 4 13\n"), EError);
    EXPECT_FALSE(std::filesystem::exists(systems));

    // The starter wheel of K = 12 and a system of K = 13 are there before.
    std::filesystem::create_directories(systems);
    writeFileAtomic(systems / "5-12-2_0000.dat", "01 02 03 04 05\r\n");
    writeFileAtomic(systems / "5-13-0_0007.dat", "01 02 03 04 05\r\n");

    const auto first = storeDownloadedSystem(systems, info(42, 12, 3, 2, "2024-01-02 03:04:05"), lines12 + "\n\n");
    EXPECT_EQ(first, systems / "5-12-3_0042.dat");
    EXPECT_EQ(readFileBytes(first), "01 02 03 04 05\r\n12 11 10 09 08\r\n");
    EXPECT_EQ(mtimeOf(first), *parseSystemDate("2024-01-02 03:04:05"));
    EXPECT_FALSE(std::filesystem::exists(systems / "5-12-2_0000.dat"));  // the lookup must find the download
    EXPECT_EQ(findSystemFile(systems, 12), first);

    const auto second = storeDownloadedSystem(systems, info(43, 12, 0, 1, "2024-03-04 05:06:07"), "1 2 3 4 5");
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_TRUE(std::filesystem::exists(systems / "5-13-0_0007.dat"));
    EXPECT_EQ(findSystemFile(systems, 12), second);

    // "Is the file current" allows 2 s either way.
    const std::time_t created = *parseSystemDate("2024-03-04 05:06:07");
    const struct {
        int shift;
        bool current;
    } shifts[] = {{0, true}, {2, true}, {-2, true}, {3, false}, {-3, false}, {3600, false}};
    for (const auto& s : shifts) {
        SCOPED_TRACE(s.shift);
        const std::string date = formatSystemDate(created + s.shift);
        EXPECT_EQ(systemFileCurrent(second, date), s.current);
    }
    EXPECT_FALSE(systemFileCurrent(first, "2024-01-02 03:04:05"));  // no file
}

TEST(SystemsCatalogue, DiskListingReadsKCountAndDateFromTheFiles) {
    TempDir dir;
    const auto systems = dir / "Systems";
    std::filesystem::create_directories(systems);
    storeDownloadedSystem(systems, info(5, 9, 1, 3, "2023-06-07 08:09:10"), "1 2 3 4 5\n5 6 7 8 9\n1 3 5 7 9\n");
    writeFileAtomic(systems / "5-08-0_0001.dat", "01 02 03 04 09\r\n");  // position beyond K: unreadable
    writeFileAtomic(systems / "notes.txt", "x");
    const TSystemsListing listing = diskSystemsListing(systems);
    EXPECT_EQ(listing.skipped, 1);
    ASSERT_EQ(listing.rows.size(), 1u);
    const TSystemRow& row = listing.rows[0];
    EXPECT_EQ(row.info.id, 5);
    EXPECT_EQ(systemRowCell(row, 0), "5-09-1_0005");
    EXPECT_EQ(systemRowCell(row, 2), "09");
    EXPECT_EQ(systemRowCell(row, 3), "1");
    EXPECT_EQ(systemRowCell(row, 4), "3");
    EXPECT_EQ(systemRowCell(row, 5), "2023-06-07 08:09:10");
    EXPECT_EQ(systemRowCell(row, 6), "Загружена");

    const TSystemRow placeholder{systemsPlaceholder(), false, false, {}};
    EXPECT_EQ(systemRowCell(placeholder, 0), "Список систем не доступен!");
    for (int c = 1; c < 11; ++c) EXPECT_EQ(systemRowCell(placeholder, c), "") << c;
}

}  // namespace
