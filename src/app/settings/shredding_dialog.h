#pragma once
// The dialog "Методы шинковки": the three shredding formulas and the number of decimals each
// keeps (1..5). OK reads every formula as the evaluator does and refuses one it cannot read,
// saying what is wrong and where, with the cursor on that place.
#include <QDialog>
#include <array>
#include <string>

class QLineEdit;
class QSpinBox;

namespace tavlora {
class Interaction;
}

namespace tavlora::app {

// "Формула %d, позиция %d: ..." is built from this caption and the evaluator's fault text.
inline constexpr const char* kFormulaError = "Ошибка в формуле %d, %s.";

inline constexpr const char* kShreddingInfo =
    "Используемые переменные:\r\nn1, n2, n3, ..., nX - числа текущего тиража\r\n"
    "p1, p2, p3, ..., pX - числа предыдущего тиража";

class TShreddingDialog : public QDialog {
    Q_OBJECT
public:
    // Without an interaction the formula errors go to a message box.
    TShreddingDialog(QWidget* parent, const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits,
                     Interaction* interaction = nullptr);

    std::array<std::string, 3> formulas() const;
    std::array<int32_t, 3> digits() const;
    QLineEdit* formulaEdit(int i) const { return edFormula_[static_cast<size_t>(i)]; }
    QSpinBox* digitsEdit(int i) const { return edDigits_[static_cast<size_t>(i)]; }

public slots:
    void accept() override;

private:
    Interaction* interaction_;
    std::array<QLineEdit*, 3> edFormula_{};
    std::array<QSpinBox*, 3> edDigits_{};
};

}  // namespace tavlora::app
