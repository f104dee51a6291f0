#include "ui/test_count_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/window_settings.h"

namespace tavlora::ui {

std::optional<int> askTestCount(QWidget* parent, int maximum, int initial) {
    if (maximum < 1) return std::nullopt;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TFormTestCnt"));
    dialog.setWindowTitle(QString::fromUtf8(kTestCountCaption));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString::fromUtf8(kTestCountPrompt), &dialog));
    auto* count = new QSpinBox(&dialog);
    count->setObjectName(QStringLiteral("edTestCount"));
    count->setRange(1, maximum);  // the spin box takes a value above the maximum as the maximum
    count->setValue(std::clamp(initial, 1, maximum));
    count->selectAll();
    layout->addWidget(count);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    keepPlacement(dialog, "TFormTestCnt");
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    count->interpretText();
    return count->value();
}

}  // namespace tavlora::ui
