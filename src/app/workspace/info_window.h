#pragma once
// The information window "Подробная информация": the matrix grid of the five numbers with its
// column count, and the property list of every listed graph method for them.
#include <QDialog>

#include "workspace/info_rows.h"

class QSpinBox;
class QTableWidget;

namespace tavlora {
class TStatList;
}

namespace tavlora::app {

inline constexpr const char* kInfoWindowCaption = "Подробная информация";
inline constexpr int kInfoCellWidth = 24;

class TInfoWindow : public QDialog {
    Q_OBJECT
public:
    // Fills the property list at once (under the wait cursor) and lays the grid out with the
    // matrix width of the settings.
    TInfoWindow(QWidget* parent, const TStatList& registry, const TInfoRequest& request);

    QTableWidget* grid() const { return sgMatrix_; }
    QTableWidget* properties() const { return lvProps_; }
    QSpinBox* columnsEdit() const { return edColumns_; }
    // Lays the grid out for W columns.
    void setColumns(int columns);
    // Background colour of a cell (the grid's base colour outside 1..69).
    QColor cellColor(int row, int column) const;

private:
    // Widens the matrix pane (and the window) to show every column of the matrix.
    void fitMatrix();

    TComb nums_{};
    int channelWidth_ = 10;
    QTableWidget* sgMatrix_ = nullptr;
    QSpinBox* edColumns_ = nullptr;
    QTableWidget* lvProps_ = nullptr;
};

}  // namespace tavlora::app
