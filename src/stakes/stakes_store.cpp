#include "stakes/stakes_store.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "archive/draw_archive.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/file_calls.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/settings.h"
#include "core/text_forms.h"
#include "stakes/ratings.h"

namespace tavlora {

namespace {

constexpr int64_t kRec = static_cast<int64_t>(TStakeRecord::kSize);
// Records of the previous version of the file were one byte longer.
constexpr int64_t kOldRec = kRec + 1;

std::string nowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y.%m.%d %H:%M:%S", &tm);
    return buf;
}

// Name matching "<prefix>*<suffix>".
bool matchesMask(const std::string& name, const std::string& prefix, const std::string& suffix) {
    return name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

const std::vector<std::string>& stakeConditionCaptions() {
    static const std::vector<std::string> captions{"Равно [ = ]", "Более [ > ]", "Не менее [ >= ]", "Менее [ < ]",
                                                   "Не более [ <= ]"};
    return captions;
}

bool stakeConditionHolds(TStakeCondition condition, int m, int v) {
    switch (condition) {
        case TStakeCondition::Equal: return m == v;
        case TStakeCondition::Greater: return m > v;
        case TStakeCondition::NotLess: return m >= v;
        case TStakeCondition::Less: return m < v;
        case TStakeCondition::NotGreater: return m <= v;
    }
    return false;
}

std::string deleteConfirmationText(int64_t count) {
    if (count == 1) return "Удалить выделенную запись?";
    return fmt("Удалить все выделенные записи (всего будет удалено %d записи(ей))?", count);
}

bool stakesFileLockedElsewhere(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // closing drops the lock taken here
    return held;
}

TStakesStore::TStakesStore(std::filesystem::path file) : file_(std::move(file)) {}

TStakesStore::~TStakesStore() { close(); }

std::filesystem::path TStakesStore::tempFile() const {
    std::filesystem::path p = file_;
    p.replace_extension(".~tmp");
    return p;
}

void TStakesStore::open() {
    close();
    FileCalls& sys = fileCalls();
    int fd = sys.open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw EError(systemMessage(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        sys.close(fd);
        throw EError(systemMessage(err));
    }
    fd_ = fd;
    cache_.reset();
}

bool TStakesStore::openChecked(Progress& progress, Interaction& interaction) {
    StatusScope status(progress, kStakesLoadText);
    try {
        if (!isOpen()) open();
        const int64_t size = fileSize();
        if (size > 0) {
            char first = 0;
            if (!readAllAt(fd_, &first, 1, 0)) throw EError(systemMessage(errno));
            const bool current = static_cast<uint8_t>(first) == TStakeRecord::kVersion;
            if (current && size > kRec && size % kRec != 0 && size % kOldRec != 0) {
                // Whole records of this version followed by part of one: an append cut short
                // (the program stopped in the middle of writing it). The part is dropped and
                // the records before it kept, instead of emptying the file.
                if (fileCalls().ftruncate(fd_, static_cast<off_t>(size - size % kRec)) != 0)
                    throw EError(systemMessage(errno));
                cache_.reset();
            } else if (size % kRec != 0 || !current) {
                interaction.warning(kOldStakesFile);
                // The old records stay readable beside the emptied file.
                std::error_code ec;
                std::filesystem::copy_file(file_, std::filesystem::path(file_.string() + ".old"),
                                           std::filesystem::copy_options::overwrite_existing, ec);
                if (fileCalls().ftruncate(fd_, 0) != 0) throw EError(systemMessage(errno));
                cache_.reset();
            }
        }
    } catch (const EError& e) {
        status.clear();
        interaction.error(fmt(kStakesReadFileError, e.what()));
        return false;
    }
    return true;
}

void TStakesStore::close() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    fileCalls().close(fd_);
    fd_ = -1;
    cache_.reset();
}

bool TStakesStore::reopen(Interaction& interaction) {
    bool closed = true;
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        int rc = fileCalls().close(fd_);
        int err = errno;
        fd_ = -1;
        cache_.reset();
        if (rc != 0) {
            // What was written may not have reached the file: a failure, even though opening
            // again is still tried so that the store stays usable.
            interaction.error(fmt(kStakesWriteFileError, systemMessage(err)));
            closed = false;
        }
    }
    try {
        open();
    } catch (const EError& e) {
        interaction.error(fmt(kStakesReadFileError, e.what()));
        return false;
    }
    return closed;
}

int64_t TStakesStore::fileSize() const {
    if (fd_ < 0) return 0;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EError(systemMessage(errno));
    return static_cast<int64_t>(st.st_size);
}

int64_t TStakesStore::recordCount() const {
    if (fd_ < 0) return 0;
    try {
        return fileSize() / kRec;
    } catch (const EError&) {
        return 0;
    }
}

int64_t TStakesStore::position(Origin origin, int64_t index) const {
    // An index no file can reach gives -1 (outside the file) instead of an overflowing product.
    if (index < INT64_MIN / (2 * kRec) || index > INT64_MAX / (2 * kRec)) return -1;
    if (origin == Origin::Start) return index * kRec;
    return fileSize() + index * kRec;
}

TStakeRecord TStakesStore::readRecord(Origin origin, int64_t index) {
    try {
        if (fd_ < 0) throw EError(kStakesNotOpen);
        const int64_t size = fileSize();
        const int64_t pos = position(origin, index);
        if (pos < 0 || pos + kRec > size)
            throw EError(fmt(kStakeIndexNotFound, index));
        const int64_t absolute = pos / kRec;
        if (cache_ && cache_->first == absolute && pos % kRec == 0) return cache_->second;
        std::string bytes(TStakeRecord::kSize, '\0');
        if (!readAllAt(fd_, bytes.data(), bytes.size(), pos)) throw EError(systemMessage(errno));
        TStakeRecord r = TStakeRecord::decode(reinterpret_cast<const uint8_t*>(bytes.data()));
        cache_ = std::make_pair(absolute, r);
        return r;
    } catch (const EError& e) {
        throw EError(fmt(kStakeReadRecordError, e.what()));
    }
}

void TStakesStore::writeRecord(const TStakeRecord& record, Origin origin, int64_t index) {
    try {
        if (fd_ < 0) throw EError(kStakesNotOpen);
        const int64_t size = fileSize();
        const int64_t pos = position(origin, index);
        if (pos < 0 || pos > size) throw EError(fmt(kStakeIndexNotFound, index));
        cache_.reset();
        const std::string bytes = record.toBytes();
        if (!writeAllAt(fd_, bytes.data(), bytes.size(), pos)) {
            int err = errno;
            // Never leave a partial record behind a failed append.
            if (pos + kRec > size) (void)!fileCalls().ftruncate(fd_, static_cast<off_t>(size));
            throw EError(systemMessage(err));
        }
    } catch (const EError& e) {
        throw EError(fmt(kStakeAddError, e.what()));
    }
}

std::vector<TStakeRecord> TStakesStore::readAll() {
    std::vector<TStakeRecord> out;
    const int64_t n = recordCount();
    out.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) out.push_back(readRecord(Origin::Start, i));
    return out;
}

bool TStakesStore::exists(int32_t drawNumber, const TShema& numbers) {
    try {
        const int64_t n = recordCount();
        for (int64_t i = 0; i < n; ++i) {
            TStakeRecord r = readRecord(Origin::Start, i);
            if (r.drawNumber == drawNumber && r.numbers == numbers) return true;
        }
    } catch (const EError& e) {
        throw EError(fmt(kStakeFindError, e.what()));
    }
    return false;
}

bool TStakesStore::addStakes(const TStakeRecord& record, int count, Interaction& interaction) {
    try {
        if (!isOpen()) throw EError(kStakesNotOpen);
        if (record.checked) throw EError(kCheckedStakeAppend);
        if (count < 2) {
            writeRecord(record, Origin::End, 0);
            return true;
        }
        // Copies are numbered drawNumber + i; refuse numbers that would leave the 32-bit range.
        if (static_cast<int64_t>(record.drawNumber) + count - 1 > INT32_MAX) throw EError(kBadDrawNumberWarning);
        for (int i = 0; i < count; ++i) {
            if (hasRecords() && readRecord(Origin::End, -1).isReal())
                writeRecord(TStakeRecord::separator(), Origin::End, 0);
            TStakeRecord copy = record;
            copy.drawNumber = record.drawNumber + i;
            writeRecord(copy, Origin::End, 0);
        }
        return true;
    } catch (const EError& e) {
        const std::string text = e.what();
        // Record errors already name the operation.
        interaction.error(text.rfind("Ошибка", 0) == 0 ? text : fmt(kStakeAddError, text));
        return false;
    }
}

bool TStakesStore::checkAll(const DrawArchive& archive, const TSettings& settings, TRatings& ratings,
                            Progress& progress, Interaction& interaction) {
    bool anyChecked = false;
    StatusScope status(progress, kStakesCheckText);
    try {
        const int64_t n = recordCount();
        int64_t basis = -1, total = 0, step = 1;
        for (int64_t i = 0; i < n; ++i) {
            if (basis >= 0) {
                const int64_t done = i - basis;
                if (done > 0 && done % step == 0) {
                    status.update(fmt(kStakesCheckProgressText,
                                         100.0L * static_cast<long double>(done) / static_cast<long double>(total)));
                    progress.pump();
                }
            }
            TStakeRecord r = readRecord(Origin::Start, i);
            if (r.checked || r.drawNumber <= 0 || shemaCount(r.numbers) < 5) continue;
            if (basis < 0) {
                basis = i;
                total = n - i - 1;
                step = std::max<int64_t>(1, total / 100);
            }
            const int index = archive.findByNumber(r.drawNumber);
            if (index < 0) continue;
            applyDrawResult(r, archive.at(index), settings);
            writeRecord(r, Origin::Start, i);
            anyChecked = true;
            ratings.addStake(r);
            if (logEnabled_) writeLog(r, interaction);
        }
    } catch (const EError& e) {
        interaction.error(fmt(kStakesCheckError, e.what()));
    }
    status.clear();
    if (anyChecked) {
        reopen(interaction);
        ratings.sort(progress, interaction);
    }
    return anyChecked;
}

bool TStakesStore::rewriteKeeping(const std::vector<bool>& keep, Progress& progress, Interaction& interaction) {
    StatusScope status(progress, kStakesDeleteText);
    const std::filesystem::path tmp = tempFile();
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
    FileCalls& sys = fileCalls();
    int tfd = -1;
    bool ok = true;
    try {
        if (!isOpen()) throw EError(kStakesNotOpen);
        tfd = sys.open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (tfd < 0) throw EError(fmt(kStakeTempFileError, tmp.filename().string(), systemMessage(errno)));
        std::string buffer;
        const int64_t n = static_cast<int64_t>(keep.size());
        for (int64_t i = 0; i < n; ++i) {
            if (!keep[static_cast<size_t>(i)]) continue;
            buffer += readRecord(Origin::Start, i).toBytes();
            if (buffer.size() >= (1u << 20)) {
                if (!writeAll(tfd, buffer.data(), buffer.size())) throw EError(systemMessage(errno));
                buffer.clear();
            }
        }
        if (!writeAll(tfd, buffer.data(), buffer.size())) throw EError(systemMessage(errno));
        if (sys.fsync(tfd) != 0) throw EError(systemMessage(errno));
        int rc = sys.close(tfd);
        tfd = -1;
        if (rc != 0) throw EError(systemMessage(errno));
        // rename replaces the stakes file in one step: there is always either the old file or
        // the new one under its name.
        if (sys.rename(tmp.c_str(), file_.c_str()) != 0)
            throw EError(fmt(kStakeTempFileError, tmp.filename().string(), systemMessage(errno)));
        int dfd = sys.open(file_.parent_path().empty() ? "." : file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY, 0);
        if (dfd >= 0) {
            // The new name must survive a crash too; a file system that cannot sync folders
            // has nothing more to do.
            const bool synced = sys.fsync(dfd) == 0 || errno == EINVAL || errno == EBADF || errno == ENOTSUP;
            const int err = errno;
            sys.close(dfd);
            if (!synced) throw EError(systemMessage(err));
        }
    } catch (const EError& e) {
        if (tfd >= 0) sys.close(tfd);
        interaction.error(fmt(kStakeDeleteError, e.what()));
        ok = false;
    }
    std::filesystem::remove(tmp, ignored);
    if (!reopen(interaction)) ok = false;
    return ok;
}

bool TStakesStore::deleteRange(int64_t first, int64_t last, Progress& progress, Interaction& interaction) {
    const int64_t n = recordCount();
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, n - 1);
    if (first > last) return true;
    std::vector<bool> keep(static_cast<size_t>(n), true);
    for (int64_t i = first; i <= last; ++i) keep[static_cast<size_t>(i)] = false;
    return rewriteKeeping(keep, progress, interaction);
}

bool TStakesStore::deleteWhere(TStakeCondition condition, int value, Progress& progress, Interaction& interaction) {
    std::vector<bool> keep;
    try {
        const int64_t n = recordCount();
        keep.assign(static_cast<size_t>(n), true);
        for (int64_t i = 0; i < n; ++i) {
            const TStakeRecord r = readRecord(Origin::Start, i);
            if (r.checked && stakeConditionHolds(condition, r.matchCount(), value)) keep[static_cast<size_t>(i)] = false;
        }
    } catch (const EError& e) {
        interaction.error(fmt(kStakeDeleteError, e.what()));
        return false;
    }
    if (std::all_of(keep.begin(), keep.end(), [](bool k) { return k; })) return true;
    return rewriteKeeping(keep, progress, interaction);
}

bool TStakesStore::clear(Interaction& interaction) {
    if (!isOpen()) {
        interaction.error(fmt(kStakeDeleteError, kStakesNotOpen));
        return false;
    }
    cache_.reset();
    if (fileCalls().ftruncate(fd_, 0) != 0) {
        interaction.error(fmt(kStakeDeleteError, systemMessage(errno)));
        reopen(interaction);
        return false;
    }
    return reopen(interaction);
}

TProfitDrawArray TStakesStore::profitPerDraw() {
    TProfitDrawArray out;
    std::unordered_map<int32_t, size_t> where;
    const int64_t n = recordCount();
    for (int64_t i = 0; i < n; ++i) {
        const TStakeRecord r = readRecord(Origin::Start, i);
        if (r.drawNumber < 0) continue;
        auto [it, inserted] = where.emplace(r.drawNumber, out.size());
        if (inserted) out.emplace_back(r.drawNumber, 0);
        out[it->second].second += r.profit;
    }
    return out;
}

std::filesystem::path TStakesStore::logFile(int32_t drawNumber) const {
    return file_.parent_path() / (file_.stem().string() + "-" + std::to_string(drawNumber) + ".log");
}

std::string TStakesStore::logLine(const TStakeRecord& s, const std::string& timeText) {
    TShema drawSet{5, {}};
    std::copy(s.drawNums.begin(), s.drawNums.end(), drawSet.nums.begin());
    return timeText + ": " +
           fmt("Тираж № %s. Ставка: \"%s\" [%s] {%d}. Результаты тиража: [%s]. Совпадений: %d. Профит: %.2f.",
               std::to_string(s.drawNumber), s.comment, joinedForm(s.numbers, ";"), s.listSize,
               joinedForm(drawSet, ";"), s.matchCount(), static_cast<long double>(s.profit) / 10000.0L);
}

bool TStakesStore::writeLog(const TStakeRecord& stake, Interaction& interaction) {
    const std::filesystem::path path = logFile(stake.drawNumber);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > kStakeLogLimit) {
            if (::unlink(path.c_str()) != 0) {
                interaction.error(fmt(kLogDeleteError, path.string(), systemMessage(errno)));
                return false;
            }
        }
    }
    const std::string line = utf8ToCp1251(logLine(stake, nowText())) + "\r\n";
    FileCalls& sys = fileCalls();
    int fd = sys.open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || !writeAll(fd, line.data(), line.size())) {
        int err = errno;
        if (fd >= 0) sys.close(fd);
        interaction.error(fmt(kLogWriteError, path.string(), systemMessage(err)));
        return false;
    }
    if (sys.close(fd) != 0) {
        interaction.error(fmt(kLogWriteError, path.string(), systemMessage(errno)));
        return false;
    }
    return true;
}

std::vector<std::filesystem::path> TStakesStore::logFiles() const {
    std::vector<std::filesystem::path> out;
    const std::string prefix = file_.stem().string() + "-";
    std::error_code ec;
    std::filesystem::path dir = file_.parent_path().empty() ? std::filesystem::path(".") : file_.parent_path();
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        if (matchesMask(it->path().filename().string(), prefix, ".log")) out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

int TStakesStore::deleteLogs(Progress& progress, Interaction& interaction) {
    const auto files = logFiles();
    if (files.empty()) {
        interaction.information(kNoLogFiles);
        return 0;
    }
    int deleted = 0;
    std::string failures;
    {
        StatusScope status(progress, kLogSearchText);
        for (const auto& f : files) {
            if (::unlink(f.c_str()) == 0)
                ++deleted;
            else
                failures += "\r" + f.filename().string() + ": " + systemMessage(errno);
        }
    }
    if (failures.empty())
        interaction.information(fmt("Удалено файлов журналов: %d", deleted));
    else
        interaction.warning(fmt("Удалено файлов журналов: %d из %d.\r%s", deleted, static_cast<int>(files.size()),
                                failures));
    return deleted;
}

}  // namespace tavlora
