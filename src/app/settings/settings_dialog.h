#pragma once
// The settings dialog "Параметры системы": matrix size with its row count, channel size, stake
// cost, the six prize rows, the weight coefficients, the matrix segment grid, and the systems
// catalogue's address with the user's e-mail. Opened with a copy of the settings record and of the
// systems settings; config() and systems() return the edited values after OK.
#include <QDialog>
#include <QString>
#include <array>

#include "core/interaction.h"
#include "core/settings.h"
#include "stakes/systems_catalogue.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;

namespace tavlora::app {

inline constexpr const char* kBadSegmentValue = "Некорректное значение: %s!\r\rУкажите любое число от 1 до 9";
inline constexpr int kPrizeRows = 6;

class TSettingsDialog : public QDialog {
    Q_OBJECT
public:
    TSettingsDialog(QWidget* parent, const TConfigData& config, Interaction& interaction,
                    const TSystemsSettings& systems = {});

    // The record as the fields hold it now.
    TConfigData config() const;
    // The catalogue address and e-mail as typed (trimmed).
    TSystemsSettings systems() const;

    QSpinBox* matrixColsEdit() const { return edMatrixCols_; }
    QSpinBox* matrixRowsEdit() const { return edMatrixRows_; }
    QSpinBox* channelSizeEdit() const { return edChannelSize_; }
    QDoubleSpinBox* stakeCostEdit() const { return edStakeCost_; }
    QTableWidget* prizeGrid() const { return sgProfits_; }
    QTableWidget* segmentGrid() const { return sgSegments_; }
    // The segment map as the grid holds it (1 for an empty or unreadable cell).
    std::array<uint8_t, 69> segmentsFromGrid() const;

private:
    void fillSegmentGrid(const std::array<uint8_t, 69>& segments);
    void matrixColsChanged(int width);
    void segmentEdited(QTableWidgetItem* item);

    Interaction& interaction_;
    TConfigData original_;
    int gridWidth_ = 7;
    bool fillingGrid_ = false;

    QSpinBox* edMatrixCols_;
    QSpinBox* edMatrixRows_;
    QSpinBox* edChannelSize_;
    QDoubleSpinBox* edStakeCost_;
    QSpinBox* edMaxStake_;
    QLabel* lbMaxStake_;
    QTableWidget* sgProfits_;
    QDoubleSpinBox* edCount_;
    QDoubleSpinBox* edDeviation_;
    QDoubleSpinBox* edLevel_;
    QCheckBox* cbUsePercents_;
    QCheckBox* cbUseAbsValues_;
    QTableWidget* sgSegments_;
    QLineEdit* edSystemsUrl_;
    QLineEdit* edSystemsMail_;
    // The values the money and weight fields showed when opened: a field still showing its value
    // keeps the stored value with all its decimals.
    double shownCost_ = 0;
    double shownCount_ = 0;
    double shownDeviation_ = 0;
    double shownLevel_ = 0;
    std::array<QString, kPrizeRows> shownPrizeText_;
    std::array<int64_t, kPrizeRows> shownPrize_{};
};

}  // namespace tavlora::app
