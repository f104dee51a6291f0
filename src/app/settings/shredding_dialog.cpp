#include "app/settings/shredding_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/format.h"
#include "core/interaction.h"
#include "stats/expression.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

TShreddingDialog::TShreddingDialog(QWidget* parent, const std::array<std::string, 3>& formulas,
                                   const std::array<int32_t, 3>& digits, Interaction* interaction)
    : QDialog(parent), interaction_(interaction) {
    setObjectName(QStringLiteral("TShreddingDialog"));
    setWindowTitle(QStringLiteral("Методы шинковки"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        const auto k = static_cast<size_t>(i);
        grid->addWidget(new QLabel(QStringLiteral("Формула %1:").arg(i + 1), this), i, 0);
        edFormula_[k] = new QLineEdit(ui::qs(formulas[k]), this);
        edFormula_[k]->setObjectName(QStringLiteral("edFormula%1").arg(i + 1));
        edFormula_[k]->setToolTip(QStringLiteral("Используемая формула"));
        edFormula_[k]->setMinimumWidth(280);
        grid->addWidget(edFormula_[k], i, 1);
        edDigits_[k] = new QSpinBox(this);
        edDigits_[k]->setObjectName(QStringLiteral("edFormula%1Digits").arg(i + 1));
        edDigits_[k]->setRange(1, 5);
        edDigits_[k]->setValue(2);
        edDigits_[k]->setValue(digits[k]);
        edDigits_[k]->setToolTip(QStringLiteral("Количество используемых знаков после запятой"));
        grid->addWidget(edDigits_[k], i, 2);
    }
    layout->addLayout(grid);
    auto* info = new QLabel(ui::displayText(kShreddingInfo), this);
    info->setFrameShape(QFrame::StyledPanel);
    info->setMargin(6);
    layout->addWidget(info);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TShreddingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Opens where and at the size it was last closed.
    ui::keepPlacement(*this, "TShreddingDialog");
}

void TShreddingDialog::accept() {
    for (int i = 0; i < 3; ++i) {
        QLineEdit* edit = edFormula_[static_cast<size_t>(i)];
        const FormulaCheck check = checkFormula(ui::us(edit->text()));
        if (check.ok()) continue;
        const std::string text = fmt(kFormulaError, i + 1, formulaFaultText(check));
        if (interaction_) interaction_->warning(text);
        else QMessageBox::warning(this, windowTitle(), ui::qs(text));
        edit->setFocus();
        edit->setCursorPosition(check.position - 1);
        return;
    }
    QDialog::accept();
}

std::array<std::string, 3> TShreddingDialog::formulas() const {
    return {ui::us(edFormula_[0]->text()), ui::us(edFormula_[1]->text()), ui::us(edFormula_[2]->text())};
}

std::array<int32_t, 3> TShreddingDialog::digits() const {
    return {edDigits_[0]->value(), edDigits_[1]->value(), edDigits_[2]->value()};
}

}  // namespace tavlora::app
