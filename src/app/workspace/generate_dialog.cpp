#include "app/workspace/generate_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/file_dialogs.h"
#include "ui/text.h"
#include "workspace/comb_list.h"
#include "ui/window_settings.h"

namespace tavlora::app {

TGenerateDialog::TGenerateDialog(QWidget* parent, uint8_t mode, const std::string& parameters) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kGenerateDialogCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Режим генерации списка комбинаций:"), this));
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("cbGenerateMode"));
    for (const auto& caption : generateModeCaptions()) mode_->addItem(ui::qs(caption));
    layout->addWidget(mode_);
    layout->addWidget(new QLabel(QStringLiteral("Мои числа или имя файла для загрузки:"), this));
    auto* row = new QHBoxLayout;
    parameters_ = new QLineEdit(this);
    parameters_->setObjectName(QStringLiteral("edGenerateParameters"));
    parameters_->setMaxLength(255);
    parameters_->setToolTip(QStringLiteral(
        "Список моих чисел через точку с запятой или имя файла для режима загрузки списка из файла"));
    parameters_->setText(ui::qs(parameters));
    file_ = new QToolButton(this);
    file_->setText(QStringLiteral("..."));
    file_->setToolTip(QStringLiteral("Выбор файла"));
    row->addWidget(parameters_, 1);
    row->addWidget(file_);
    layout->addLayout(row);
    default_ = new QCheckBox(QStringLiteral("Сохранить эти параметры по умолчанию для генерации"), this);
    default_->setChecked(false);
    layout->addWidget(default_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(mode_, &QComboBox::currentIndexChanged, this, &TGenerateDialog::modeChanged);
    connect(file_, &QToolButton::clicked, this, [this] {
        const QString f = ui::chooseOpenFile(this, QStringLiteral("Выбор файла"), kCombsFileFilter);
        if (!f.isEmpty()) parameters_->setText(f);
    });
    mode_->setCurrentIndex(mode <= kGenerateFromFile ? mode : 0);
    modeChanged(mode_->currentIndex());
    setMinimumWidth(480);
    // Opens where and at the size it was last closed.
    ui::keepPlacement(*this, "TGenerateDialog");
}

void TGenerateDialog::modeChanged(int mode) {
    parameters_->setEnabled(mode != kGenerateFull);
    file_->setEnabled(mode == kGenerateFromFile);
}

uint8_t TGenerateDialog::mode() const { return static_cast<uint8_t>(std::max(0, mode_->currentIndex())); }

std::string TGenerateDialog::parameters() const { return ui::us(parameters_->text()); }

bool TGenerateDialog::saveAsDefault() const { return default_->isChecked(); }

}  // namespace tavlora::app
