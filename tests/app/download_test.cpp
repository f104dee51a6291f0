// The draw download from the window against the real local results server (and tinyproxy): the
// command appends the served draws and refreshes the list and the panels, "Стоп" ends a slow
// download with whole draws only, the start-up question follows its setting, and the proxy
// dialog enables its fields by the mode and writes the PROXY and DOWNLOAD sections.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <fstream>
#include <functional>
#include <string>

#include "core/interaction.h"

// Server start failures are failures of the running Qt test function.
#define TAVLORA_SERVER_EXPECT(cond, message)                                                    \
    do {                                                                                        \
        if (!(cond)) QTest::qFail(std::string(message).c_str(), __FILE__, __LINE__);           \
    } while (0)
#include "server_support.h"

#include "app/gui_support.h"
#include "app/archive/draws_model.h"
#include "app/archive/draws_tab.h"
#include "app/archive/proxy_dialog.h"
#include "app/main_window.h"
#include "archive/download_settings.h"
#include "archive/draw_archive.h"
#include "archive/draw_download.h"
#include "archive/draws_csv.h"
#include "archive/proxy_settings.h"
#include "core/date.h"
#include "core/ini_file.h"
#include "session/form_settings.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"
#include "test_support.h"
#include "ui/wait_window.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

const std::filesystem::path kSample = std::filesystem::path(TAVLORA_SAMPLE_DIR) / "draws.csv";
constexpr int kSampleCount = 1390;

// The sample archive without its draws numbered above keep; returns the whole sample.
TDrawsArray prepareFolder(const std::filesystem::path& dir, int keep) {
    Session s(dir);
    NullProgress p;
    ScriptedInteraction si;
    importDrawsCsv(s.archive(), kSample, p, si);
    TDrawsArray all = s.draws();
    std::vector<int> drop;
    for (int n = keep + 1; n <= kSampleCount; ++n) drop.push_back(n);
    s.archive().deleteDrawsByNumber(drop, p, si);
    return all;
}

TDrawsArray archiveOf(const std::filesystem::path& dir) { return Session(dir).draws(); }

void setResultsPage(const std::filesystem::path& dir, const std::string& url) {
    saveDownloadSettings(dir / "Tavlora_5d69.ini", {url, "Lotto", ""});
}

bool sameDraw(const TDraw& a, const TDraw& b) {
    return a.number == b.number && a.nums == b.nums && a.extra == b.extra && a.dateText() == b.dateText();
}

// Every draw of got is the sample's draw of the same number, and got holds draws 1..count.
void expectSampleDraws(const TDrawsArray& got, const TDrawsArray& sample, int count) {
    QCOMPARE(static_cast<int>(got.size()), count);
    for (int i = 0; i < count; ++i)
        QVERIFY2(sameDraw(got[static_cast<size_t>(i)], sample[static_cast<size_t>(i)]),
                 qPrintable(QString("draw %1 differs from the served one").arg(i + 1)));
}

int answeredRequests(const test::ResultsServer& server) {
    int n = 0;
    for (const auto& f : server.logFields())
        if (f.size() >= 5 && f[4].rfind("rows", 0) == 0) ++n;
    return n;
}

std::vector<std::string> questionTexts(const ScriptedInteraction& si) {
    std::vector<std::string> out;
    for (const auto& q : si.questions) out.push_back(q.text);
    return out;
}

// Calls check every few milliseconds while the event loop runs (the download lets it run while
// it waits on the network), until the object goes away.
class Watcher {
public:
    explicit Watcher(std::function<void()> check) {
        QObject::connect(&timer_, &QTimer::timeout, [check = std::move(check)] { check(); });
        timer_.start(5);
    }

private:
    QTimer timer_;
};

}  // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void downloadAppendsTheServedDrawsAndRefreshesTheWindow() {
        test::TempDir dir;
        const TDrawsArray sample = prepareFolder(dir.path(), kSampleCount - 60);
        {
            // A stake on the first draw to come: checked once the draw is in, it makes a rating.
            Session s(dir.path());
            NullProgress p;
            ScriptedInteraction si;
            QVERIFY(s.openStakes(p, si));
            TStakeRecord stake = newManualStake(s.archive(), s.settings(), 1, TComb{{1, 2, 3, 4, 5}});
            stake.drawNumber = kSampleCount - 59;
            QVERIFY(s.stakes().addStakes(stake, 1, si));
        }
        // Besides the real draws, the page carries a tampered row (a 0 among the numbers).
        {
            std::ofstream extra(dir / "tampered.txt");
            extra << "08/04/2026\t0 - 5 - 6 - 7 - 8 + 1\n";
        }
        test::ResultsServer server(dir.path(), "results",
                                   {"--draws", kSample.string(), "--extra", (dir / "tampered.txt").string()});
        QVERIFY(server.port() > 0);
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QCOMPARE(w->state(), TFormMain::State::Running);
        QCOMPARE(w->statusPanel(app::kPanelRatings)->text(), QString("Рейтинг: 0"));
        // Without a results page nothing is asked at start.
        QVERIFY(si.questions.empty());

        QAction* download = w->action("DrawsDownload");
        QVERIFY(download);
        QCOMPARE(download->text(), QString("Загрузка"));
        QCOMPARE(download->statusTip(), QString("Загрузка архива тиражей с сайта лотереи"));
        QVERIFY(download->isEnabled());

        // No results page: one sentence saying where to set it, nothing asked of any server.
        download->trigger();
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(si.messages[0].kind, MessageKind::Error);
        QCOMPARE(si.messages[0].text, std::string(kDownloadUrlMissing));
        QVERIFY(!ui::WaitWindow::visible());
        QVERIFY(server.log().empty());
        QCOMPARE(w->session()->archive().count(), kSampleCount - 60);

        setResultsPage(dir.path(), server.url());
        si.messages.clear();
        download->trigger();
        // The tampered row is told and never taken.
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(si.messages[0].kind, MessageKind::Warning);
        QVERIFY2(si.messages[0].text.find("08/04/2026") != std::string::npos, si.messages[0].text.c_str());
        QVERIFY(!ui::WaitWindow::visible());
        QVERIFY(!w->busyState().busy());
        QVERIFY(download->isEnabled());
        expectSampleDraws(w->session()->draws(), sample, kSampleCount);
        expectSampleDraws(archiveOf(dir.path()), sample, kSampleCount);
        // The list and the panels show the new archive.
        QCOMPARE(w->drawsTab()->model()->rowCount(), kSampleCount);
        QCOMPARE(w->drawsTab()->model()->index(0, 0).data().toString(), QString::number(kSampleCount));
        QCOMPARE(w->statusPanel(app::kPanelArchive)->text(), QString("Архив тиражей: %1").arg(kSampleCount));
        QCOMPARE(w->statusPanel(app::kPanelNextDraw)->text(), QString("Следующий тираж: %1").arg(kSampleCount + 1));
        QCOMPARE(w->statusPanel(app::kPanelRatings)->text(), QString("Рейтинг: 1"));
        QVERIFY(w->statusPanel(app::kPanelHint)->text().isEmpty());
        QCOMPARE(w->session()->ratings().count(), 1);

        // Up to date: asked again, nothing appended, nothing reported.
        si.messages.clear();
        const int requests = static_cast<int>(server.log().size());
        download->trigger();
        QVERIFY(si.messages.empty());
        QVERIFY(static_cast<int>(server.log().size()) > requests);
        QCOMPARE(w->session()->archive().count(), kSampleCount);
    }

    void stopDuringASlowServerKeepsWholeDrawsOnly() {
        test::TempDir dir;
        const int keep = kSampleCount - 60;
        const TDrawsArray sample = prepareFolder(dir.path(), keep);
        // The first range is answered at once; every later one only after 30 s, far beyond the
        // read time-out: only "Стоп" can end the download before that without asking to retry.
        test::ResultsServer server(dir.path(), "slow",
                                   {"--draws", kSample.string(), "--delay", "30", "--slow-from", "2"});
        QVERIFY(server.port() > 0);
        setResultsPage(dir.path(), server.url());
        ScriptedInteraction si;  // answers No: the question at start, and any retry question
        auto w = startWindow(dir.path(), si);
        QCOMPARE(questionTexts(si), std::vector<std::string>{app::kDownloadQuestion});
        QCOMPARE(w->session()->archive().count(), keep);

        // The draws of the first range: the 100 days after the newest kept draw.
        const CivilDate from = readDateText(sample[static_cast<size_t>(keep - 1)].dateText())->addDays(1);
        const CivilDate to = from.addDays(kDownloadRangeDays - 1);
        int firstRange = 0;
        for (const TDraw& d : sample) {
            const CivilDate date = *readDateText(d.dateText());
            if (!(date < from) && !(to < date)) ++firstRange;
        }
        QVERIFY(firstRange > 0 && keep + firstRange < kSampleCount);

        // Once the first range is in, "Стоп" is pressed in the wait window.
        QElapsedTimer sinceStop;
        QString waitText;
        Watcher pressStop([&] {
            QPushButton* stop = ui::WaitWindow::stopButton();
            // The list catches up with the archive as soon as a range is saved.
            if (!stop || sinceStop.isValid() || w->drawsTab()->model()->rowCount() == keep) return;
            sinceStop.start();
            waitText = ui::WaitWindow::text();
            QCOMPARE(stop->text(), QString("Стоп"));
            QCOMPARE(w->session()->archive().count(), keep + firstRange);
            stop->click();
        });
        w->action("DrawsDownload")->trigger();
        QVERIFY2(sinceStop.isValid(), "the wait window had no stop button while the download waited");
        qInfo("the download ended %lld ms after the stop", static_cast<long long>(sinceStop.elapsed()));
        QCOMPARE(waitText, QString("Загрузка архива тиражей..."));
        // No retry question, no error: the stop ended the waiting request.
        QCOMPARE(si.questions.size(), size_t(1));
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());
        QCOMPARE(answeredRequests(server), 1);
        QVERIFY(!ui::WaitWindow::visible());
        QVERIFY(!w->busyState().busy());
        QVERIFY(!w->progress().stopRequested());
        expectSampleDraws(w->session()->draws(), sample, keep + firstRange);
        expectSampleDraws(archiveOf(dir.path()), sample, keep + firstRange);
        QCOMPARE(w->statusPanel(app::kPanelArchive)->text(), QString("Архив тиражей: %1").arg(keep + firstRange));
    }

    void retryQuestionIsAskedWithTheWaitWindowAside() {
        test::TempDir dir;
        const TDrawsArray sample = prepareFolder(dir.path(), kSampleCount - 5);
        // The first request fails; the retried one takes a moment, with the wait window back.
        test::ResultsServer server(dir.path(), "busy",
                                   {"--draws", kSample.string(), "--fail-first", "1", "--delay", "0.3",
                                    "--slow-from", "2"});
        QVERIFY(server.port() > 0);
        // Notes whether the wait window was on screen when a box came, and answers Yes.
        struct Boxes : Interaction {
            std::vector<std::string> texts;
            std::vector<bool> waitShown;
            void message(MessageKind, const std::string&, const std::string& text) override {
                texts.push_back(text);
                waitShown.push_back(ui::WaitWindow::visible());
            }
            bool question(const std::string&, const std::string& text, bool) override {
                message(MessageKind::Information, {}, text);
                return true;
            }
        } boxes;
        auto w = startWindow(dir.path(), boxes);
        QVERIFY(boxes.texts.empty());
        setResultsPage(dir.path(), server.url());
        bool stopAfterQuestion = false;
        Watcher watch([&] {
            QPushButton* stop = ui::WaitWindow::stopButton();
            if (!boxes.texts.empty() && ui::WaitWindow::visible() && stop && stop->isEnabled()) stopAfterQuestion = true;
        });
        w->action("DrawsDownload")->trigger();
        QCOMPARE(boxes.texts.size(), size_t(1));
        QVERIFY2(QString::fromStdString(boxes.texts[0]).startsWith("Ошибка загрузки архива тиражей с сайта: \"HTTP/"),
                 boxes.texts[0].c_str());
        QVERIFY(QString::fromStdString(boxes.texts[0]).endsWith("503 Service Unavailable\"\r\rПовторить попытку?"));
        QCOMPARE(boxes.waitShown, std::vector<bool>{false});
        QVERIFY2(stopAfterQuestion, "the wait window did not come back with its stop button after the question");
        expectSampleDraws(w->session()->draws(), sample, kSampleCount);
        QVERIFY(!ui::WaitWindow::visible());
    }

    void startUpQuestionFollowsTheSetting_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("downloads");
        QTest::newRow("ask, yes") << 0 << true << true << true;
        QTest::newRow("ask, no") << 0 << false << true << false;
        QTest::newRow("automatic") << 1 << false << false << true;
        QTest::newRow("never") << 2 << true << false << false;
    }
    void startUpQuestionFollowsTheSetting() {
        QFETCH(int, mode);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, downloads);
        test::TempDir dir;
        const int keep = kSampleCount - 5;
        prepareFolder(dir.path(), keep);
        test::ResultsServer server(dir.path(), "results", {"--draws", kSample.string()});
        QVERIFY(server.port() > 0);
        setResultsPage(dir.path(), server.url());
        writeFormKey(dir / "Tavlora_5d69.frm", "DownloadDrawsOnStart", static_cast<int32_t>(mode));
        ScriptedInteraction si(answer);
        auto w = startWindow(dir.path(), si);
        QCOMPARE(w->state(), TFormMain::State::Running);
        QCOMPARE(questionTexts(si),
                 asked ? std::vector<std::string>{app::kDownloadQuestion} : std::vector<std::string>{});
        QCOMPARE(si.questions.empty() ? std::string() : si.questions[0].caption,
                 asked ? std::string("Подтверждение") : std::string());
        QCOMPARE(w->session()->archive().count(), downloads ? kSampleCount : keep);
        QCOMPARE(server.log().empty(), !downloads);
        QCOMPARE(w->statusPanel(app::kPanelArchive)->text(),
                 QString("Архив тиражей: %1").arg(downloads ? kSampleCount : keep));
    }

    void proxyDialogEnablesFieldsByModeAndWritesTheSections() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QAction* editProxy = w->action("EditProxy");
        QVERIFY(editProxy && editProxy->isEnabled());
        QCOMPARE(editProxy->text(), QString("Параметры proxy-сервера"));

        // The fields of a hand-set proxy are editable for that choice only.
        {
            app::TProxyDialog dialog(w.get(), TProxySettings{}, TDownloadSettings{}, si);
            QCOMPARE(dialog.windowTitle(), QString("Параметры proxy-сервера"));
            QVERIFY(dialog.noneButton()->isChecked());
            QCOMPARE(dialog.portEdit()->value(), 80);
            const QList<QWidget*> fields{dialog.serverEdit(), dialog.portEdit(), dialog.userEdit(),
                                         dialog.passwordEdit()};
            const struct {
                QRadioButton* button;
                bool enabled;
            } modes[] = {{dialog.manualButton(), true}, {dialog.autoButton(), false}, {dialog.noneButton(), false},
                         {dialog.manualButton(), true}};
            for (const auto& m : modes) {
                m.button->click();
                for (QWidget* f : fields) QCOMPARE(f->isEnabled(), m.enabled);
                QVERIFY(dialog.urlEdit()->isEnabled());
            }
            // A hand-set proxy without a server is refused and the dialog stays.
            dialog.show();
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(dialog.isVisible());
            QCOMPARE(si.messages.size(), size_t(1));
            QCOMPARE(si.messages[0].text, std::string(app::kProxyServerMissing));
            dialog.reject();
        }
        si.messages.clear();

        // Through the command: a proxy given by hand and the results page, written to the file
        // and used by the next download, which goes through that proxy.
        w.reset();  // the window holds the data folder until it goes away
        prepareFolder(dir.path(), kSampleCount - 5);
        w = startWindow(dir.path(), si);
        QCOMPARE(w->state(), TFormMain::State::Running);
        test::ResultsServer server(dir.path(), "results", {"--draws", kSample.string(), "--delay", "0.3"});
        test::TinyProxy proxy(dir.path(), "tavlora", "s3cret");
        QVERIFY(server.port() > 0 && proxy.port() > 0);
        bool filled = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<app::TProxyDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->manualButton()->click();
            d->serverEdit()->setText(" 127.0.0.1 ");
            d->portEdit()->setValue(proxy.port());
            d->userEdit()->setText("tavlora");
            d->passwordEdit()->setText("s3cret");
            d->urlEdit()->setText(QString::fromStdString(server.url()));
            d->gameEdit()->setText("Лото 5/69");
            d->proxyListEdit()->setText("http://127.0.0.1:1/proxies");
            filled = true;
            d->accept();
        });
        w->action("EditProxy")->trigger();
        QVERIFY(filled);
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());
        IniFile ini(dir / "Tavlora_5d69.ini");
        QCOMPARE(ini.readString("PROXY", "ProxyMode"), std::string("2"));
        QCOMPARE(ini.readString("PROXY", "ProxyServer"), std::string("127.0.0.1"));
        QCOMPARE(ini.readString("PROXY", "ProxyPort"), std::to_string(proxy.port()));
        QCOMPARE(ini.readString("PROXY", "ProxyUsername"), std::string("tavlora"));
        QCOMPARE(ini.readString("PROXY", "ProxyPassword"), std::string("s3cret"));
        const TDownloadSettings site = loadDownloadSettings(dir / "Tavlora_5d69.ini");
        QCOMPARE(site, (TDownloadSettings{server.url(), "Лото 5/69", "http://127.0.0.1:1/proxies"}));
        QCOMPARE(w->proxySettings().mode, kProxyModeManual);
        QVERIFY(w->proxySettings().saved);

        QStringList waitTexts;
        Watcher watch([&] {
            const QString t = ui::WaitWindow::text();
            if (!t.isEmpty() && (waitTexts.isEmpty() || waitTexts.back() != t)) waitTexts << t;
        });
        w->action("DrawsDownload")->trigger();
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());
        QCOMPARE(w->session()->archive().count(), kSampleCount);
        QVERIFY(proxy.log().find("winningNumberSearch") != std::string::npos);
        const QString attempt = QString("Загрузка архива тиражей...\n\nПопытка 1, proxy 127.0.0.1 : %1").arg(proxy.port());
        QVERIFY2(waitTexts.contains(attempt), qPrintable(waitTexts.join(" | ")));

        // The automatic search clears the hand-set proxy.
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<app::TProxyDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QVERIFY(d->manualButton()->isChecked());
            QCOMPARE(d->serverEdit()->text(), QString("127.0.0.1"));
            d->autoButton()->click();
            d->accept();
        });
        w->action("EditProxy")->trigger();
        IniFile again(dir / "Tavlora_5d69.ini");
        QCOMPARE(again.readString("PROXY", "ProxyMode"), std::string("1"));
        QCOMPARE(again.readString("PROXY", "ProxyServer", "-"), std::string());
        QCOMPARE(again.readString("PROXY", "ProxyUsername", "-"), std::string());
        QCOMPARE(again.readString("PROXY", "ProxyPassword", "-"), std::string());
        QCOMPARE(loadProxySettings(dir / "Tavlora_5d69.ini").mode, kProxyModeAuto);
        QCOMPARE(w->proxySettings().server, std::string());
        // The results page group is kept.
        QCOMPARE(loadDownloadSettings(dir / "Tavlora_5d69.ini").url, server.url());
    }
};

QTEST_MAIN(DownloadTest)
#include "download_test.moc"
