#pragma once
// The manager of favourite statistics methods: the tree `tvFilters` with one node per method under
// its group, a check icon per method (favourite or not), the three display options and the
// commands that check, uncheck, rename and describe methods and import or export their names.
// The registry is changed only by OK (and for the time of an export); the favourites, captions and
// options it had when the dialog opened are put back on Cancel, so that an import of names or any
// other change made in the dialog is undone.
#include <QDialog>
#include <QIcon>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavlora {
class Interaction;
class Session;
class TStatList;
}  // namespace tavlora

namespace tavlora::app {

inline constexpr const char* kFavouritesTitle = "Менеджер избранных методов расчета статистики";
inline constexpr const char* kPleaseWaitText = "Подождите пожалуйста...";
inline constexpr const char* kMethodNamesFilter = "Наименования фильтров (*.flt)|*.flt";

// What the registry holds of the user's choice: favourites, custom captions and display options.
struct FavouritesSnapshot {
    std::vector<bool> favourite;
    std::vector<std::string> captions;
    bool allFavourites = true;
    bool ordered = false;
    bool showGroupName = true;
    bool showMethodFlags = true;

    static FavouritesSnapshot take(const TStatList& registry);
    void restore(TStatList& registry) const;
};

class FavouritesDialog : public QDialog {
    Q_OBJECT
public:
    // describe opens the description window of a method (registry index).
    FavouritesDialog(Session& session, Interaction& interaction, std::function<void(int)> describe,
                     QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tvFilters_; }
    QLabel* countLabel() const { return countLabel_; }
    QCheckBox* orderedBox() const { return cbOrdered_; }
    QCheckBox* groupNameBox() const { return cbGroupName_; }
    QCheckBox* methodFlagsBox() const { return cbMethodFlags_; }
    QPushButton* button(const QString& objectName) const;

    // The node of a method (registry index); null when the method is not in the tree.
    QTreeWidgetItem* methodNode(int methodIndex) const;
    // Registry index of a method node; -1 for a group node or none.
    static int methodOf(const QTreeWidgetItem* node);
    static bool isChecked(const QTreeWidgetItem* node);
    void setChecked(QTreeWidgetItem* node, bool checked);

    // The commands of the dialog, each on the selected node where it needs one.
    void checkAll(bool checked);
    void checkGroup(bool checked);
    void renameSelected(const QString& caption);
    void restoreSelectedCaption();
    // Loads the custom captions of a method file (favourites and options are not read) and rebuilds
    // the tree; the checks made in the dialog stay. False when the file could not be read (shown).
    bool importNames(const QString& fileName);
    // Writes every method's caption as the tree shows it into a method file without favourites.
    // The registry is left as it was. False when the file could not be written (shown).
    bool exportNames(const QString& fileName);

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTree(const std::optional<std::vector<bool>>& keepChecks);
    // Check states of the method nodes by registry index.
    std::vector<bool> currentChecks() const;
    // The custom caption a node's caption stands for: empty when it is the method's own caption in
    // any letter case.
    std::string customCaptionFor(int methodIndex, const QString& caption) const;
    // Applies the tree's captions to the methods (favourites untouched).
    void applyCaptions();
    QTreeWidgetItem* selectedGroupNode() const;
    void onClicked(QTreeWidgetItem* node);
    void onDoubleClicked(QTreeWidgetItem* node);
    void askRename();
    void askImport();
    void askExport();
    void updateButtons();

    Session& session_;
    Interaction& interaction_;
    std::function<void(int)> describe_;
    FavouritesSnapshot snapshot_;
    bool afterDoubleClick_ = false;
    QIcon checkedIcon_;
    QIcon uncheckedIcon_;

    QTreeWidget* tvFilters_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QCheckBox* cbOrdered_ = nullptr;
    QCheckBox* cbGroupName_ = nullptr;
    QCheckBox* cbMethodFlags_ = nullptr;
};

}  // namespace tavlora::app
