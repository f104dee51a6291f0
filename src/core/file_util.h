#pragma once
// Whole-file reading and safe whole-file replacement.
#include <filesystem>
#include <string>
#include <string_view>

namespace tavlora {

// Reads a whole file as bytes. Throws EError with the system's message text on failure.
std::string readFileBytes(const std::filesystem::path& path);

// Replaces a file with the given bytes: writes a temporary file in the same folder, flushes it
// to disk and renames it over the target, so that a crash or a full disk never leaves half a
// file. On failure the old file stays whole, the temporary file is removed and EError is thrown
// with the system's message text.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// The system's message for an errno value (the "%s" of file error messages).
std::string systemMessage(int errnum);

}  // namespace tavlora
