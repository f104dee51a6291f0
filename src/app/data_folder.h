#pragma once
// The data folder of a window started without "--data": the executable's own folder when it is a
// build tree or a portable copy, otherwise the user's data folder (~/.local/share/tavlora), which
// is seeded from the installed sample folder on its first start.
#include <filesystem>
#include <string>
#include <vector>

namespace tavlora::app {

// The program's name for the desktop: "tavlora" (the user's data folder is named after it), the
// desktop entry tavlora.desktop and the themed icon "tavlora".
void setApplicationIdentity();

// True when the executable's folder serves as the data folder: it is writable and it holds a data
// file (a portable copy) or is a build tree (CMakeCache.txt beside the program).
bool isPortableFolder(const std::filesystem::path& exeDir);

// The installed sample folder: <exeDir>/../share/tavlora when it exists (a package unpacked under
// any root finds its own), else the first "tavlora" folder of the system's data folders
// (/usr/share/tavlora); empty when there is none.
std::filesystem::path installedDataFolder(const std::filesystem::path& exeDir);

// The user's data folder (the application data location, e.g. ~/.local/share/tavlora).
std::filesystem::path userDataFolder();

struct DefaultDataFolder {
    std::filesystem::path dir;
    std::vector<std::string> seeded;  // files copied from the installed sample folder
    std::string error;                // a seeding that failed (the window opens the folder anyway)
};

// Chooses the folder (see above) and seeds the user's data folder when it has no archive yet.
DefaultDataFolder openDefaultDataFolder(const std::filesystem::path& exeDir);

}  // namespace tavlora::app
