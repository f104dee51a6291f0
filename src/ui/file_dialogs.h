#pragma once
// Open and save file dialogs with the program's filters, written as "Caption (*.ext)|*.ext"
// pairs separated by "|".
#include <QString>
#include <string_view>

class QWidget;

namespace tavlora::ui {

inline constexpr const char* kDrawsFileFilter = "Файлы тиражей (*.csv)|*.csv";

// The filter in Qt's form ("Caption (*.ext)" entries joined by ";;", the patterns that follow
// each caption added when the caption does not show them).
QString qtFileFilter(std::string_view filter);
// The file name with ".ext" appended when it has no extension.
QString withDefaultExtension(const QString& fileName, const QString& extension);

// The folder the dialogs open in (the data folder, set once it is known).
void setFileDialogFolder(const QString& folder);
const QString& fileDialogFolder();

// Empty when the user cancels. The dialogs open in the folder set above.
QString chooseOpenFile(QWidget* parent, const QString& caption, std::string_view filter);
QString chooseSaveFile(QWidget* parent, const QString& caption, std::string_view filter, const QString& extension);

}  // namespace tavlora::ui
