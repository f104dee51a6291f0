#pragma once
// The dialog "Методы шинковки": the three shredding formulas and the number of decimals each
// keeps (1..5).
#include <QDialog>
#include <array>
#include <string>

class QLineEdit;
class QSpinBox;

namespace tavlora::app {

inline constexpr const char* kShreddingInfo =
    "Используемые переменные:\r\nn1, n2, n3, ..., nX - числа текущего тиража\r\n"
    "p1, p2, p3, ..., pX - числа предыдущего тиража";

class TShreddingDialog : public QDialog {
    Q_OBJECT
public:
    TShreddingDialog(QWidget* parent, const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits);

    std::array<std::string, 3> formulas() const;
    std::array<int32_t, 3> digits() const;
    QLineEdit* formulaEdit(int i) const { return edFormula_[static_cast<size_t>(i)]; }
    QSpinBox* digitsEdit(int i) const { return edDigits_[static_cast<size_t>(i)]; }

private:
    std::array<QLineEdit*, 3> edFormula_{};
    std::array<QSpinBox*, 3> edDigits_{};
};

}  // namespace tavlora::app
