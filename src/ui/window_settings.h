#pragma once
// Keeps the placement of a window or dialog and the column widths of its lists in the
// window-settings file, under the section named after the window's class (core/window_settings.h).
// The main window names the file once its data folder is known; a dialog asks for its placement
// to be kept with one call in its constructor and needs nothing else: it is restored when the
// dialog is first shown and stored whenever it is hidden (closed, accepted or rejected).
#include <QString>
#include <filesystem>
#include <string>

class QAbstractItemView;
class QWidget;

namespace tavlora::ui {

// The window-settings file of the open data folder; empty (the default) keeps nothing.
void setWindowSettingsFile(const std::filesystem::path& frmPath);
const std::filesystem::path& windowSettingsFile();

// Placement of a top-level widget: the stored rectangle (for the current screen size when one was
// stored for it) and the maximised state. A rectangle that lies on no screen only gives the size,
// so that a window never opens out of reach.
void restorePlacement(QWidget& window, const std::string& section);
void savePlacement(const QWidget& window, const std::string& section);

// Column widths of a table or tree, stored as "<object name>_Columns"; stored widths of 0 (hidden
// columns) are not restored.
void restoreColumnWidths(QAbstractItemView& list, const std::string& section);
void saveColumnWidths(const QAbstractItemView& list, const std::string& section);

// Restores the placement of `window` (and the widths of `lists`) when it is first shown and stores
// them each time it is hidden. The keeper is a child of the window.
void keepPlacement(QWidget& window, const std::string& section, std::initializer_list<QAbstractItemView*> lists = {});

}  // namespace tavlora::ui
