#include "archive/draw_archive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

#include "core/codepage.h"
#include "core/date.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

DrawArchive::DrawArchive(std::filesystem::path file) : file_(std::move(file)) {}

bool DrawArchive::load(Progress& progress, Interaction& interaction) {
    draws_.clear();
    std::error_code ec;
    // Only a file that is plainly not there is an empty archive; when its presence cannot even
    // be told (a folder without access), opening it below reports why.
    if (!std::filesystem::exists(file_, ec) && !ec) return true;

    StatusScope status(progress, kDrawsLoadingText);
    auto fail = [&](int errnum) {
        interaction.error(fmt(kDrawsReadError, systemMessage(errnum)));
        return false;
    };
    int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    // Room for the records the file size announces; the loop below keeps only what it reads.
    auto size = std::filesystem::file_size(file_, ec);
    if (!ec) draws_.reserve(static_cast<size_t>(size / TDraw::kSize));

    std::array<uint8_t, TDraw::kSize * 256> buf;
    size_t filled = 0;
    for (;;) {
        ssize_t n = ::read(fd, buf.data() + filled, buf.size() - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            return fail(e);
        }
        if (n == 0) break;
        filled += static_cast<size_t>(n);
        size_t whole = filled / TDraw::kSize * TDraw::kSize;
        for (size_t off = 0; off < whole; off += TDraw::kSize) draws_.push_back(TDraw::decode(buf.data() + off));
        std::copy(buf.begin() + static_cast<long>(whole), buf.begin() + static_cast<long>(filled), buf.begin());
        filled -= whole;
    }
    ::close(fd);
    // A trailing partial record (filled > 0) is ignored.
    return true;
}

bool DrawArchive::save(Progress& progress, Interaction& interaction) {
    StatusScope status(progress, kDrawsSavingText);
    std::string bytes(draws_.size() * TDraw::kSize, '\0');
    for (size_t i = 0; i < draws_.size(); ++i)
        draws_[i].encode(reinterpret_cast<uint8_t*>(bytes.data()) + i * TDraw::kSize);
    try {
        writeFileAtomic(file_, bytes);
    } catch (const EError& e) {
        interaction.error(fmt(kDrawsWriteError, std::string(e.what())));
        return false;
    }
    return true;
}

void DrawArchive::clear() { draws_.clear(); }

void DrawArchive::append(const TDraw& draw) { draws_.push_back(draw); }

const TDraw& DrawArchive::at(int index) const {
    if (index < 0 || index > high()) throw EError(fmt(kDrawIndexNotFound, index));
    return draws_[static_cast<size_t>(index)];
}

void DrawArchive::replace(int index, const TDraw& draw) {
    if (index < 0 || index > high()) throw EError(fmt(kDrawIndexNotFound, index));
    draws_[static_cast<size_t>(index)] = draw;
}

void DrawArchive::remove(int index) {
    if (index < 0 || index > high()) throw EError(fmt(kDrawIndexNotFound, index));
    draws_.erase(draws_.begin() + index);
}

bool DrawArchive::addDraw(const TDraw& draw, Progress& progress, Interaction& interaction) {
    append(draw);
    return save(progress, interaction);
}

bool DrawArchive::editDraw(int index, const TDraw& draw, Progress& progress, Interaction& interaction) {
    replace(index, draw);
    return save(progress, interaction);
}

int DrawArchive::deleteDrawsByNumber(const std::vector<int>& numbers, Progress& progress, Interaction& interaction) {
    int deleted = 0;
    {
        StatusScope status(progress, kDrawsDeletingText);
        for (int n : numbers) {
            int index = findByNumber(n);
            if (index < 0) continue;
            remove(index);
            ++deleted;
        }
    }
    save(progress, interaction);
    return deleted;
}

int DrawArchive::findByNumber(int number) const {
    if (draws_.empty()) return -1;
    const int hi = high();
    const int64_t first = draws_.front().number;
    const int64_t last = draws_.back().number;
    if (number == first) return 0;
    if (number == last) return hi;

    // Interpolated guess. The arithmetic is done in 128 bits so that no draw numbers can
    // overflow it; an archive whose last number is first - 1 has no span to divide by.
    int64_t estimate = hi;
    const int64_t span = last - first + 1;
    if (span != 0) {
        __int128 e = static_cast<__int128>(count()) * (static_cast<int64_t>(number) - first) / span;
        estimate = (e < 0 || e > hi) ? hi : static_cast<int64_t>(e);
    }
    int i = static_cast<int>(estimate);
    if (draws_[static_cast<size_t>(i)].number == number) return i;

    const int step = draws_[static_cast<size_t>(i)].number < number ? 1 : -1;
    for (i += step; i >= 0 && i <= hi; i += step)
        if (draws_[static_cast<size_t>(i)].number == number) return i;

    // The archive need not be ordered by number (a number may have been edited): scan it all.
    for (i = hi; i >= 0; --i)
        if (draws_[static_cast<size_t>(i)].number == number) return i;
    return -1;
}

int DrawArchive::findByDate(std::string_view date, int k) const {
    const int lowest = std::max(0, high() - std::max(0, k));
    for (int i = high(); i >= lowest; --i)
        if (equalNoCase(draws_[static_cast<size_t>(i)].dateText(), date)) return i;
    return -1;
}

int DrawArchive::nextDrawNumber(int listPos) const {
    if (draws_.empty()) return 1;
    if (!validListPos(listPos)) return -1;
    // The largest draw number has no successor that fits; it is answered with itself, which the
    // archive already holds, rather than with a wrapped negative number.
    const int32_t number = draws_[static_cast<size_t>(indexOfListPos(listPos))].number;
    return number == INT32_MAX ? number : number + 1;
}

int DrawArchive::dateShifted(int listPos, int days) const {
    if (!validListPos(listPos)) return kNoDrawDate;
    // An unreadable date is an error for the caller: guessing a date here could make a download
    // fetch (and append) draws the archive already holds.
    const std::optional<CivilDate> date =
        readDateText(cp1251ToUtf8(draws_[static_cast<size_t>(indexOfListPos(listPos))].dateText()));
    const CivilDate start = date ? *date : CivilDate::fromDayCount(0);
    return start.addDays(days).yyyymmdd();
}

TComb DrawArchive::numbersAt(int listPos) const {
    if (!validListPos(listPos)) return TComb{};
    return drawNumbers(draws_[static_cast<size_t>(indexOfListPos(listPos))]);
}

bool DrawArchive::setDrawsOffset(int offset) {
    offset = std::max(0, offset);
    if (offset == offset_) return false;
    offset_ = offset;
    return true;
}

std::string DrawArchive::actualDrawText() const {
    if (offset_ <= 0 || offset_ >= count()) return std::string();
    return semicolonForm(numbersAt(offset_ - 1));
}

TNumberSet DrawArchive::actualDrawSet() const {
    TNumberSet set;
    if (offset_ <= 0 || offset_ >= count()) return set;
    for (uint8_t n : numbersAt(offset_ - 1).n) set.set(n);
    return set;
}

std::string DrawArchive::archiveStatusText() const { return fmt(kArchiveCountStatus, count()); }

std::string DrawArchive::nextDrawStatusText() const { return fmt(kNextDrawStatus, nextDrawNumber(offset_)); }

const std::vector<std::string>& drawListColumns() {
    static const std::vector<std::string> columns{"Тираж", "1", "2", "3", "4", "5", "E", "S", "Дата тиража"};
    return columns;
}

std::vector<std::string> drawListRow(const TDraw& draw, bool sorted) {
    const TDraw d = sorted ? sortedDraw(draw) : draw;
    std::vector<std::string> row;
    row.reserve(9);
    row.push_back(numberText(d.number));
    int sum = 0;
    for (uint8_t n : d.nums) {
        row.push_back(numberText(n));
        sum += n;
    }
    row.push_back(numberText(d.extra));
    row.push_back(numberText(sum));
    row.push_back(cp1251ToUtf8(d.dateText()));
    return row;
}

}  // namespace tavlora
