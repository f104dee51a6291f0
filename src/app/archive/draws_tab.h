#pragma once
// The "Архив тиражей" tab: the offset field `edDrawsOffset` above the virtual list of draws
// `lvDraws`, and the commands of the "Тиражи" menu (add, edit, delete, sorted order, information,
// channel colours, CSV import and export, the download from the results page). It fills the
// three archive panels of the status bar, and every change of the draws or of the offset
// recomputes the views.
#include <vector>

#include "app/archive/draw_dialog.h"
#include "app/tab.h"

class QLabel;
class QSpinBox;

namespace tavlora::app {

inline constexpr const char* kDrawsImportedText = "Добавлено тиражей: %d";
inline constexpr const char* kEmptyArchiveText =
    "Архив тиражей пуст. Загрузите тиражи с сайта лотереи (Тиражи → Загрузить тиражи) или добавьте их из "
    "CSV-файла (Тиражи → Импорт из CSV-файла); один тираж можно ввести вручную (Тиражи → Добавить).";
inline constexpr const char* kDrawsExportedText = "Экспортировано тиражей: %d";

class DrawsModel;

class DrawsTab : public Tab {
public:
    explicit DrawsTab(TabHost& host, QWidget* parent = nullptr);

    QTableView* listView() const { return lvDraws_; }
    DrawsModel* model() const { return model_; }
    QSpinBox* offsetEdit() const { return edDrawsOffset_; }

    // --- commands --------------------------------------------------------------------------------
    void addDraw();
    void editDraw();
    void deleteDraws();
    void toggleSortedDraws();
    void toggleColorDraws();
    void setDrawsOffset(int offset);
    // The file commands without their dialogs and reports; the commands report what they did
    // ("Добавлено тиражей: N", "Экспортировано тиражей: N").
    bool importDraws(const QString& fileName);
    bool exportDraws(const QString& fileName);
    // The draws the last import appended.
    int lastImportCount() const { return lastImportCount_; }
    // The information window of the focused draw.
    void showDrawInfo();
    // The draw download from the results page: the wait window with the attempt and proxy and a
    // "Стоп" button, the list and panels refreshed after every range that brought draws, the
    // views recomputed and the stakes checked at the end. The event loop runs while a request
    // waits, so the window repaints and "Стоп" is taken at once. Returns the number of draws
    // appended.
    int downloadDraws();
    // The command is available with an open data folder (and, like every command, when idle).
    bool downloadAvailable() const { return host_.session() != nullptr; }
    // A results page is set, so a download can be asked for at start.
    bool downloadConfigured() const;

    // Redraws the list (rows reset when forced or when the archive length changed) and the
    // archive panels of the status bar.
    void refresh(bool force);

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void sessionOpened() override;
    void restoreSettings(const TFormMainSettings& s) override;
    std::vector<QTableView*> columnLists() const override { return {lvDraws_}; }
    void enableControls(bool on) override;
    void settingsChanged() override;

private:
    std::vector<int> selectedListPositions() const;
    int focusedListPosition() const;
    bool hasArchive() const;
    // Whether a draw number is already carried by a record other than editedIndex (-1: none).
    TDrawDialog::NumberCheck numberTakenCheck(int editedIndex) const;

    QTableView* lvDraws_ = nullptr;
    DrawsModel* model_ = nullptr;
    QSpinBox* edDrawsOffset_ = nullptr;
    QLabel* lbEmptyArchive_ = nullptr;
    int lastImportCount_ = 0;
};

}  // namespace tavlora::app
