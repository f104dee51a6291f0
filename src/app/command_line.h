#pragma once
// The command line of the desktop program: the switches restart, loadonly, fullrecreate and
// fullrefresh, and "--data DIR" choosing the data folder.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora::app {

// True when some argument equals, without regard to case, the word itself or the word preceded
// by "-", "--", "/" or "\".
bool hasSwitch(const std::vector<std::string>& args, std::string_view word);

struct StartupOptions {
    bool restart = false;
    bool loadOnly = false;
    bool fullRecreate = false;
    bool fullRefresh = false;
    std::filesystem::path dataDir;  // "--data DIR" / "--data=DIR", else the executable's folder
    bool dataGiven = false;         // "--data" was given (the default folder is not looked for)
};

// args without the program name. Throws EError when "--data" has no folder after it.
StartupOptions parseStartupOptions(const std::vector<std::string>& args, const std::filesystem::path& exeDir);

}  // namespace tavlora::app
