#include "app/data_folder.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <unistd.h>

#include "session/data_folder_seed.h"
#include "stakes/systems.h"
#include "stakes/systems_seed.h"
#include "session/session.h"

namespace tavlora::app {

namespace {

constexpr const char* kAppName = "tavlora";

std::filesystem::path fromQt(const QString& path) { return std::filesystem::path(path.toStdString()); }

}  // namespace

void setApplicationIdentity() {
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppName));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppName));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kAppName)));
}

bool isPortableFolder(const std::filesystem::path& exeDir) {
    if (exeDir.empty() || ::access(exeDir.c_str(), W_OK) != 0) return false;
    std::error_code ec;
    if (std::filesystem::is_regular_file(exeDir / "CMakeCache.txt", ec)) return true;
    const std::string prefix = std::string(kBaseName) + ".";
    for (std::filesystem::directory_iterator it(exeDir, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().starts_with(prefix)) return true;
    return false;
}

std::filesystem::path installedDataFolder(const std::filesystem::path& exeDir) {
    std::error_code ec;
    const auto beside = exeDir.parent_path() / "share" / kAppName;
    if (!exeDir.empty() && std::filesystem::is_directory(beside, ec)) return beside.lexically_normal();
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QString::fromLatin1(kAppName),
                                                 QStandardPaths::LocateDirectory);
    return found.isEmpty() ? std::filesystem::path() : fromQt(found);
}

std::filesystem::path userDataFolder() {
    return fromQt(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

DefaultDataFolder openDefaultDataFolder(const std::filesystem::path& exeDir) {
    DefaultDataFolder folder;
    const auto user = userDataFolder();
    // Without a home folder there is no user's folder: the executable's folder is all there is.
    if (isPortableFolder(exeDir) || user.empty()) {
        folder.dir = exeDir;
        return folder;
    }
    folder.dir = user;
    const auto source = installedDataFolder(exeDir);
    if (source.empty()) return folder;
    try {
        folder.seeded = seedDataFolder(source, user).copied;
        // The starter wheels, so that system play works before any catalogue was reached.
        seedSystemsFolder(user / kSystemsFolder, source / "systems");
    } catch (const std::exception& e) {
        folder.error = e.what();
    }
    return folder;
}

}  // namespace tavlora::app
