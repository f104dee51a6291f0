// The DOWNLOAD and PROXY sections of the configuration file.
#include <gtest/gtest.h>

#include <fstream>

#include "archive/download_settings.h"
#include "archive/proxy_settings.h"
#include "core/error.h"
#include "core/ini_file.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

TEST(DownloadSettings, ReadTrimmedAndWrittenBesideTheOtherSections) {
    TempDir dir;
    const auto ini = dir / "Tavlora_5d69.ini";
    EXPECT_EQ(loadDownloadSettings(ini), TDownloadSettings{});
    {
        std::ofstream f(ini, std::ios::binary);
        f << "[GLOBAL]\r\nMatrixCols=10\r\n[download]\r\nURL= https://results.example \r\nGame=Tavlora 5/69\r\n";
    }
    TDownloadSettings s = loadDownloadSettings(ini);
    EXPECT_EQ(s.url, "https://results.example");
    EXPECT_EQ(s.game, "Tavlora 5/69");
    EXPECT_EQ(s.proxyListUrl, "");
    s.proxyListUrl = "file:///tmp/proxies.txt";
    s.url = "http://127.0.0.1:8080";
    saveDownloadSettings(ini, s);
    EXPECT_EQ(loadDownloadSettings(ini), s);
    EXPECT_EQ(IniFile(ini).readInteger("GLOBAL", "MatrixCols", 0), 10);
}

TEST(ProxySettings, SavedValuesComeBackAndAPortOutOfRangeReadsAsTheDefault) {
    TempDir dir;
    const auto ini = dir / "Tavlora_5d69.ini";
    TProxySettings p{kProxyModeManual, "proxy.local", 3128, "пользователь", "секрет", false};
    saveProxySettings(ini, p);
    EXPECT_TRUE(p.saved);
    TProxySettings back = loadProxySettings(ini);
    EXPECT_EQ(back.mode, kProxyModeManual);
    EXPECT_EQ(back.server, "proxy.local");
    EXPECT_EQ(back.port, 3128);
    EXPECT_EQ(back.username, "пользователь");
    EXPECT_EQ(back.password, "секрет");

    for (const char* port : {"0", "65536", "-80", "abc"}) {
        IniFile f(ini);
        f.writeString("PROXY", "ProxyPort", port);
        f.save();
        EXPECT_EQ(loadProxySettings(ini).port, kDefaultProxyPort) << port;
    }
}

TEST(ProxySettings, AFileThatCannotBeWrittenIsReportedAndNothingIsMarkedSaved) {
    TempDir dir;
    std::ofstream(dir / "blocker") << "a file, not a folder";
    TProxySettings p{kProxyModeAuto, "10.0.0.1", 81, "", "", false};
    try {
        saveProxySettings(dir / "blocker" / "Tavlora_5d69.ini", p);
        ADD_FAILURE() << "no error";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Ошибка записи в файл конфигурации!\r\r", 0), 0u) << e.what();
    }
    EXPECT_FALSE(p.saved);
    EXPECT_THROW(saveDownloadSettings(dir / "blocker" / "Tavlora_5d69.ini", {}), EError);
}
