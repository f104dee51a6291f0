#pragma once
// Whole-file reading, safe whole-file replacement, and whole-buffer reads and writes on an open
// file descriptor.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavlora {

// Reads a whole file as bytes. Throws EError with the system's message text on failure.
std::string readFileBytes(const std::filesystem::path& path);

// Replaces a file with the given bytes: writes a temporary file in the same folder, syncs it to
// disk, renames it over the target and syncs the folder, so that a crash or a full disk never
// leaves half a file. On failure up to the rename the old file stays whole, the temporary file is
// removed and EError is thrown with the system's message text. A failure to sync the folder after
// the rename is thrown as well: the new content is then in place but not known to be durable.
// The system calls go through fileCalls() (core/file_calls.h).
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Appends the bytes at the end of a file (created when missing) in one write call sequence.
// Throws EError with the system's message on failure. The calls go through fileCalls().
void appendFileBytes(const std::filesystem::path& path, std::string_view bytes);

// Reads exactly `size` bytes at byte offset `offset` of fd, continuing after short reads and
// interrupted calls. Returns false with errno set on failure; a file that ends before the last
// byte gives EIO (a record cut short is an error, never half a record).
bool readAllAt(int fd, void* data, std::size_t size, int64_t offset);
// Writes all `size` bytes at byte offset `offset` of fd, continuing after short writes and
// interrupted calls. Returns false with errno set on failure (EIO when the system writes nothing
// without saying why).
bool writeAllAt(int fd, const void* data, std::size_t size, int64_t offset);
// The same at the file's current position (files opened for appending, pipes).
bool writeAll(int fd, const void* data, std::size_t size);

// The system's message for an errno value (the "%s" of file error messages).
std::string systemMessage(int errnum);

}  // namespace tavlora
