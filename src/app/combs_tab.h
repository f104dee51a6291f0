#pragma once
// The "Комбинации" tab: the virtual list of combinations, the exclusion of the latest draws
// (`edCombsExclude` with the "[-] Тиражи" button) and the applied-filters list `lvFilters`
// below the list. Its commands turn into calls of the session's combination list; the window
// binds them to its actions.
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/records.h"

class QSpinBox;
class QSplitter;
class QTableView;
class QToolButton;
class QTreeWidget;

namespace tavlora {
class Interaction;
class Session;
}

namespace tavlora::ui {
class BusyState;
class GuiProgress;
}

namespace tavlora::app {

class CombsModel;

class CombsTab : public QWidget {
    Q_OBJECT
public:
    CombsTab(ui::BusyState& busy, ui::GuiProgress& progress, QWidget* parent = nullptr);

    // The session and where messages go; the list is created at the first use.
    void setSession(Session* session, Interaction* interaction);

    QTableView* listView() const { return lvCombs_; }
    QTreeWidget* filtersView() const { return lvFilters_; }
    QSpinBox* excludeEdit() const { return edCombsExclude_; }
    QToolButton* excludeButton() const { return btnExclude_; }
    QSplitter* splitter() const { return splitter_; }
    CombsModel* model() const { return model_; }
    void setColorCombs(bool on);

    // --- state for the enabled rules -------------------------------------------------------
    std::size_t count() const;
    bool canUndo() const;
    bool hasSelection() const;
    // The row with the focus, or -1.
    int focusedRow() const;
    // Selected rows, ascending (read from the selection ranges, never row by row).
    std::vector<std::size_t> selectedRows() const;

    // --- commands ----------------------------------------------------------------------------
    // The generation dialog; on OK generate with its settings (stored first when asked).
    void generateDialog();
    bool generate(uint8_t mode, const std::string& parameters, bool saveAsDefault);
    // Generation from the stored settings (start-up).
    bool generateFromSettings();
    bool openFile(const QString& fileName);
    bool saveFile(const QString& fileName);
    void undo();
    void removeSelected();
    void removeLastDraws();
    void copyToClipboard();
    bool pasteText(const QString& text);
    void paste();
    void selectAll();
    void showUniqueNumbers();
    void findInDraws();
    // The focused combination (valid when focusedRow() >= 0).
    TComb focusedComb() const;

    // Redraws the list, the applied filters and the count panel.
    void refresh();
    // Releases the list's storage (shutdown).
    void release();

signals:
    // The list changed (the count panel and the views that read the list follow).
    void listChanged(const QString& countText);

private:
    Session* session_ = nullptr;
    Interaction* interaction_ = nullptr;
    ui::BusyState& busy_;
    ui::GuiProgress& progress_;
    QSplitter* splitter_ = nullptr;
    QTableView* lvCombs_ = nullptr;
    CombsModel* model_ = nullptr;
    QSpinBox* edCombsExclude_ = nullptr;
    QToolButton* btnExclude_ = nullptr;
    QTreeWidget* lvFilters_ = nullptr;
};

}  // namespace tavlora::app
