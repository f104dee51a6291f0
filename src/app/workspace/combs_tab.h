#pragma once
// The "Комбинации" tab: the virtual list of combinations, the exclusion of the latest draws
// (`edCombsExclude` with the "[-] Тиражи" button) and the applied-filters list `lvFilters`
// below the list. Its commands (the "Комбинации" menu) turn into calls of the session's
// combination list; the count panel of the status bar follows the list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/tab.h"
#include "core/records.h"

class QSpinBox;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace tavlora::app {

class CombsModel;

class CombsTab : public Tab {
    Q_OBJECT
public:
    explicit CombsTab(TabHost& host, QWidget* parent = nullptr);

    // Takes the session's combination list into the view (start-up, once the storage is set up).
    void attachList();

    QTableView* listView() const { return lvCombs_; }
    QTreeWidget* filtersView() const { return lvFilters_; }
    QSpinBox* excludeEdit() const { return edCombsExclude_; }
    QToolButton* excludeButton() const { return btnExclude_; }
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
    void toggleColorCombs();
    // The information window of the focused combination.
    void showCombInfo();
    // The focused combination (valid when focusedRow() >= 0).
    TComb focusedComb() const;

    // Redraws the list, the applied filters and the count panel.
    void refresh();
    // Releases the list's storage (shutdown).
    void release();

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void restoreSettings(const TFormMainSettings& s) override;
    void saveSettings(TFormMainSettings& s) const override;
    std::vector<QTableView*> columnLists() const override { return {lvCombs_}; }
    void enableControls(bool on) override;
    void combListChanged() override { refresh(); }
    void settingsChanged() override;

private:
    Session* session_ = nullptr;  // set once the list is attached
    QSplitter* splitter_ = nullptr;
    QTableView* lvCombs_ = nullptr;
    CombsModel* model_ = nullptr;
    QSpinBox* edCombsExclude_ = nullptr;
    QToolButton* btnExclude_ = nullptr;
    QTreeWidget* lvFilters_ = nullptr;
};

}  // namespace tavlora::app
