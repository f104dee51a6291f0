#pragma once
// The buffer file of scenario tests (<data>/Tavlora_5d69.~buff): the combination list as it
// stood after a test step removed the latest draws, cached under a key (draw offset, number of
// excluded draws) so that the next run at the same key reads it instead of filtering again.
// The file has no header: consecutive five-byte combination records. The key lives in memory
// only, so a file left behind by a crash is never read back.
#include <filesystem>
#include <utility>

#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"

namespace tavlora {

inline constexpr const char* kBufferSavingText = "Создание буфера комбинаций...";
inline constexpr const char* kBufferSavingProgress = "Создание буфера комбинаций ( завершено %.0f %% )...";
inline constexpr const char* kBufferSaveError = "Ошибка создания буфера комбинаций!\r\r%s";
inline constexpr const char* kBufferLoadingText = "Загрузка буфера комбинаций...";
inline constexpr const char* kBufferLoadingProgress = "Загрузка буфера комбинаций ( завершено %.0f %% )...";
inline constexpr const char* kBufferLoadError = "Ошибка загрузки буфера комбинаций!\r\r%s";

class TCombBuffer {
public:
    using Key = std::pair<int, int>;  // (draw offset, excluded draws); (-1, -1): nothing cached
    explicit TCombBuffer(std::filesystem::path file = {}) : file_(std::move(file)) {}

    void setFile(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& file() const { return file_; }
    Key key() const { return key_; }
    // Whether a load at this key would read a file: the key matches and the file exists.
    bool holds(int offset, int excluded) const;

    // Writes combs to the file under the key, 1 % of the records at a time with the progress
    // text after each part; nothing when the key is already stored. A failure shows
    // kBufferSaveError, forgets the key and removes the file.
    bool save(const TCombsArray& combs, int offset, int excluded, Progress& progress, Interaction& interaction);
    // Reads the file into out (resized to the file's record count) when the key matches and the
    // file exists; false without a word otherwise. A read failure shows kBufferLoadError and
    // returns false; out then holds an unfinished list the caller must not use.
    bool load(int offset, int excluded, TCombsArray& out, Progress& progress, Interaction& interaction);
    // Forgets the key and deletes the file, ignoring errors.
    void drop();
    void resetKey() { key_ = {-1, -1}; }

private:
    std::filesystem::path file_;
    Key key_{-1, -1};
};

}  // namespace tavlora
