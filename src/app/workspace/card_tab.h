#pragma once
// The "Карта" page: the draw card `sgCard`, one row per archive draw, newest first, with a mark in
// the column of each drawn number (71 columns: the draw, "1".."69", "E"). Repeats from the adjacent
// draw and consecutive numbers of one draw are coloured (`ColorCardSequences`), the other cells get
// their column's channel colour (`ColorCard`). The selected numbers keep or remove combinations.
#include <QAbstractTableModel>

#include "app/tab.h"
#include "workspace/number_grids.h"

class QTableView;

namespace tavlora::app {

// The card as a table model: display texts, background colours and alignment per cell.
class CardModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setCard(TCardGrid card);
    void setColours(bool colorCard, bool sequences, int groupWidth);
    const TCardGrid& card() const { return card_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TCardGrid card_;
    bool colorCard_ = true;
    bool sequences_ = true;
    int groupWidth_ = 10;
};

class CardTab : public Tab {
    Q_OBJECT
public:
    explicit CardTab(TabHost& host, QWidget* parent = nullptr);

    QTableView* grid() const { return sgCard_; }
    CardModel* model() const { return model_; }
    // The numbers of the selected non-empty number cells, columns left to right.
    std::vector<int32_t> selectedNumbers() const;
    // Whether the selection lies within the number columns 1..69 (and is not empty).
    bool selectionInNumbers() const;
    bool filterSelected(bool remove);

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    std::vector<QTableView*> columnLists() const override { return {}; }
    void settingsChanged() override;
    void restoreSettings(const TFormMainSettings& s) override;
    bool isView() const override { return true; }

protected:
    void recompute(bool force) override;

private:
    void toggle(bool TFormMainSettings::*flag, const char* key, const char* action);
    void applyColours();

    CardModel* model_ = nullptr;
    QTableView* sgCard_ = nullptr;
};

}  // namespace tavlora::app
