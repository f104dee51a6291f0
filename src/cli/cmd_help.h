#pragma once
// `tavlora-cli help method CODE`: the description page of a statistics method as text.
#include <filesystem>
#include <iosfwd>
#include <string>

namespace tavlora::cli {

// Prints the description of the method whose code is `code` (any instance code, such as KCM3 or
// POS2; letter case ignored) in the registry of the data folder's settings, whose matrix, channel
// and segment settings decide which instance codes exist. Returns 0, or 1 with a message on err
// when no method has that code or its page is missing.
int printMethodHelp(const std::string& code, const std::filesystem::path& dataDir, std::ostream& out,
                    std::ostream& err);

}  // namespace tavlora::cli
