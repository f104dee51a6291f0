#pragma once
// "О программе": the program's version and build date, the libraries it runs with and their
// versions, and the data folder it works in.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <utility>
#include <vector>

namespace tavlora::app {

inline constexpr const char* kAboutCaption = "О программе";

// The libraries the program is linked with, as (name, version) in the order shown; the versions
// are those of the libraries loaded at run time where the library can tell.
std::vector<std::pair<QString, QString>> libraryVersions();

// The text of the dialog (rich text).
QString aboutText(const std::filesystem::path& dataDir);

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const std::filesystem::path& dataDir, QWidget* parent = nullptr);
};

}  // namespace tavlora::app
