// Every save of the data folder walked over each of its file-changing system calls: the call
// fails (with the errors of a full disk, a read-only folder, a file too large or a broken disk)
// or the process stops right there, half a write done. Reopening must then give the old state or
// the new one, never a torn file, and a failure must be reported, never taken for success.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "archive/draw_archive.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/settings.h"
#include "fault_calls.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "test_support.h"
#include "workspace/lcv_file.h"

namespace tavlora {
namespace {

namespace fs = std::filesystem;
using test::FaultCalls;
using test::TempDir;

std::string bytesOf(const fs::path& p) {
    std::error_code ec;
    if (!fs::exists(p, ec)) return "<absent>";
    return readFileBytes(p);
}

TDraw draw(int number, uint8_t first) {
    TDraw d;
    d.number = number;
    d.nums = {first, 20, 30, 40, 50};
    d.extra = 7;
    d.setDateText("01/07/2009");
    return d;
}

TStakeRecord stake(int drawNumber, const char* comment) {
    TStakeRecord r;
    r.drawNumber = drawNumber;
    r.listSize = 5;
    r.numbers.count = 5;
    for (int i = 0; i < 5; ++i) r.numbers.nums[static_cast<size_t>(i)] = static_cast<uint8_t>(10 + i);
    r.comment = comment;
    return r;
}

// One save: puts the old state into a fresh folder, runs the save (false, an error message or
// an exception: a reported failure) and reads the state back as a reopening program would.
struct SaveCase {
    const char* name;
    std::function<void(const fs::path&)> setup;
    std::function<bool(const fs::path&, Interaction&)> save;
    std::function<std::string(const fs::path&)> state;
    // Appends of fixed records may stop between two of them: any whole-record prefix of the
    // new state is then a consistent state.
    std::size_t prefixRecord = 0;
};

const fs::path kLdr = "Tavlora_5d69.ldr";
const fs::path kLsk = "Tavlora_5d69.lsk";
const fs::path kLrt = "Tavlora_5d69.lrt";
const fs::path kLss = "Tavlora_5d69.lss";
const fs::path kIni = "Tavlora_5d69.ini";

// The stakes file as a program opening it sees it (a cut-short record is dropped on opening).
std::string stakesState(const fs::path& dir) {
    TStakesStore store(dir / kLsk);
    NullProgress p;
    ScriptedInteraction ui;
    if (!store.openChecked(p, ui)) return "<unreadable>";
    store.close();
    return bytesOf(dir / kLsk) + (ui.messages.empty() ? "" : "<" + ui.messages[0].text + ">");
}

std::vector<SaveCase> saveCases() {
    std::vector<SaveCase> cases;
    cases.push_back({"archive",
                     [](const fs::path& dir) {
                         DrawArchive a(dir / kLdr);
                         NullProgress p;
                         ScriptedInteraction ui;
                         a.append(draw(1, 1));
                         a.append(draw(2, 2));
                         ASSERT_TRUE(a.save(p, ui));
                     },
                     [](const fs::path& dir, Interaction& ui) {
                         DrawArchive a(dir / kLdr);
                         NullProgress p;
                         if (!a.load(p, ui)) return false;
                         return a.addDraw(draw(3, 3), p, ui);
                     },
                     [](const fs::path& dir) { return bytesOf(dir / kLdr); }});
    cases.push_back({"settings",
                     [](const fs::path& dir) {
                         TSettings s;
                         s.saveSettings(dir / kIni);
                     },
                     [](const fs::path& dir, Interaction&) {
                         TSettings s;
                         s.loadSettings(dir / kIni);
                         s.config.matrixCols = 9;
                         s.saveSettings(dir / kIni);
                         return true;
                     },
                     [](const fs::path& dir) { return bytesOf(dir / kIni); }});
    cases.push_back({"ratings",
                     [](const fs::path& dir) {
                         TRatings r(dir / kLrt);
                         TStakeRecord s = stake(1, "первый");
                         s.checked = true;
                         s.matches.count = 2;
                         r.addStake(s);
                         NullProgress p;
                         ScriptedInteraction ui;
                         ASSERT_TRUE(r.save(p, ui));
                     },
                     [](const fs::path& dir, Interaction& ui) {
                         TRatings r(dir / kLrt);
                         NullProgress p;
                         if (!r.load(p, ui)) return false;
                         TStakeRecord s = stake(2, "второй");
                         s.checked = true;
                         s.matches.count = 3;
                         r.addStake(s);
                         return r.save(p, ui);
                     },
                     [](const fs::path& dir) { return bytesOf(dir / kLrt); }});
    cases.push_back({"scenario",
                     [](const fs::path& dir) {
                         TScenario s(dir / kLss);
                         s.append("SUM 100-200");
                     },
                     [](const fs::path& dir, Interaction&) {
                         TScenario s(dir / kLss);
                         s.loadWorkingCopy();
                         s.append("EVEN 2-3");
                         return true;
                     },
                     [](const fs::path& dir) { return bytesOf(dir / kLss); }});
    cases.push_back({"combination file",
                     [](const fs::path& dir) { writeLcvFile(dir / "list.lcv", {TComb{{1, 2, 3, 4, 5}}}); },
                     [](const fs::path& dir, Interaction&) {
                         writeLcvFile(dir / "list.lcv", {TComb{{1, 2, 3, 4, 6}}, TComb{{7, 8, 9, 10, 11}}});
                         return true;
                     },
                     [](const fs::path& dir) { return bytesOf(dir / "list.lcv"); }});
    auto stakesSetup = [](const fs::path& dir) {
        TStakesStore store(dir / kLsk);
        store.open();
        ScriptedInteraction ui;
        ASSERT_TRUE(store.addStakes(stake(1, "a"), 1, ui));
        ASSERT_TRUE(store.addStakes(stake(2, "b"), 1, ui));
    };
    cases.push_back({"stakes append",
                     stakesSetup,
                     [](const fs::path& dir, Interaction& ui) {
                         TStakesStore store(dir / kLsk);
                         NullProgress p;
                         if (!store.openChecked(p, ui)) return false;
                         return store.addStakes(stake(5, "c"), 3, ui);
                     },
                     stakesState, TStakeRecord::kSize});
    cases.push_back({"stakes delete",
                     stakesSetup,
                     [](const fs::path& dir, Interaction& ui) {
                         TStakesStore store(dir / kLsk);
                         NullProgress p;
                         if (!store.openChecked(p, ui)) return false;
                         return store.deleteRange(0, 0, p, ui);
                     },
                     stakesState});
    return cases;
}

// Runs a save with the given calls in use; whether it reported a failure, with its text.
struct Outcome {
    bool failed = false;
    std::string text;
};

Outcome runSave(const SaveCase& c, const fs::path& dir, FileCalls& calls) {
    ScriptedInteraction ui;
    Outcome o;
    try {
        ScopedFileCalls scope(calls);
        o.failed = !c.save(dir, ui);
    } catch (const EError& e) {
        o.failed = true;
        o.text = e.what();
    }
    for (const auto& m : ui.messages) {
        if (m.kind != MessageKind::Error) continue;
        o.failed = true;
        o.text += m.text;
    }
    return o;
}

// The names in the folder: a failed save leaves no temporary file behind.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool consistent(const SaveCase& c, const std::string& state, const std::string& oldState,
                const std::string& newState) {
    if (state == oldState || state == newState) return true;
    if (c.prefixRecord == 0) return false;
    // A prefix of the new file that holds the old records and whole new ones.
    return state.size() > oldState.size() && newState.compare(0, state.size(), state) == 0 &&
           state.compare(0, oldState.size(), oldState) == 0 && state.size() % c.prefixRecord == 0;
}

TEST(CrashSafety, EveryWriteOfEverySaveFailsOrStopsWithoutTearingTheFile) {
    const int errnos[] = {ENOSPC, EROFS, EFBIG, EIO};
    for (const SaveCase& c : saveCases()) {
        SCOPED_TRACE(c.name);
        TempDir oldDir;
        c.setup(oldDir.path());
        const std::string oldState = c.state(oldDir.path());
        const auto oldNames = namesIn(oldDir.path());

        TempDir newDir;
        c.setup(newDir.path());
        FaultCalls counter;
        const Outcome clean = runSave(c, newDir.path(), counter);
        ASSERT_FALSE(clean.failed) << clean.text;
        const std::string newState = c.state(newDir.path());
        const auto newNames = namesIn(newDir.path());
        ASSERT_NE(newState, oldState);
        ASSERT_GT(counter.count(), 2);

        for (int k = 1; k <= counter.count(); ++k) {
            SCOPED_TRACE("call " + std::to_string(k));
            const int err = errnos[static_cast<size_t>(k) % std::size(errnos)];
            {
                TempDir dir;
                c.setup(dir.path());
                FaultCalls faults(FaultCalls::Mode::FailOnce, k, err);
                const Outcome o = runSave(c, dir.path(), faults);
                ASSERT_TRUE(faults.fired());
                EXPECT_TRUE(o.failed) << "a failed call was taken for success";
                EXPECT_NE(o.text.find(std::strerror(err)), std::string::npos) << o.text;
                const std::string state = c.state(dir.path());
                EXPECT_TRUE(consistent(c, state, oldState, newState)) << "torn state after a failure";
                const auto names = namesIn(dir.path());
                EXPECT_TRUE(names == oldNames || names == newNames) << "a temporary file was left";
            }
            {
                // A full disk: this call and every later one fail.
                TempDir dir;
                c.setup(dir.path());
                FaultCalls faults(FaultCalls::Mode::FailFrom, k, ENOSPC);
                const Outcome o = runSave(c, dir.path(), faults);
                EXPECT_TRUE(o.failed);
                EXPECT_NE(o.text.find(std::strerror(ENOSPC)), std::string::npos) << o.text;
                EXPECT_TRUE(consistent(c, c.state(dir.path()), oldState, newState));
            }
            {
                TempDir dir;
                c.setup(dir.path());
                const pid_t pid = ::fork();
                ASSERT_GE(pid, 0);
                if (pid == 0) {
                    FaultCalls stop(FaultCalls::Mode::Stop, k);
                    runSave(c, dir.path(), stop);
                    ::_exit(0);
                }
                int status = 0;
                ASSERT_EQ(::waitpid(pid, &status, 0), pid);
                ASSERT_TRUE(WIFEXITED(status));
                EXPECT_EQ(WEXITSTATUS(status), FaultCalls::kStopped);
                EXPECT_TRUE(consistent(c, c.state(dir.path()), oldState, newState)) << "torn state after a crash";
            }
        }
    }
}

}  // namespace
}  // namespace tavlora
