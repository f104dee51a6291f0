#include "app/systems/system_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "core/format.h"
#include "core/interaction.h"
#include "stakes/wheel_generator.h"
#include "ui/file_dialogs.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

constexpr const char* kSystemTextFilter = "Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*";
constexpr const char* kSystemFileReadError = "Ошибка чтения файла \"%s\"!\r\r%s";
constexpr const char* kSystemFileWriteError = "Ошибка записи в файл \"%s\"!\r\r%s";

QSpinBox* spin(QWidget* parent, const char* name, int min, int max, int value) {
    auto* e = new QSpinBox(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setRange(min, max);
    e->setValue(std::clamp(value, min, max));
    return e;
}

QLineEdit* line(QWidget* parent, const char* name, const std::string& text) {
    auto* e = new QLineEdit(qs(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QDialogButtonBox* okCancel(QDialog* d) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

}  // namespace

// --- "Система" ---------------------------------------------------------------------------------------

TFormSystem::TFormSystem(const TSystemData& initial, bool editable, Interaction& interaction, QWidget* parent)
    : QDialog(parent), interaction_(interaction), initial_(initial) {
    setObjectName(QStringLiteral("TFormSystem"));
    setWindowTitle(QStringLiteral("Система"));
    const TSystemInfo& info = initial.info;
    edTitle_ = line(this, "edTitle", info.title);
    edAuthor_ = line(this, "edAuthor", info.author);
    mmDescr_ = new QPlainTextEdit(qs(info.description), this);
    mmDescr_->setObjectName(QStringLiteral("mmDescr"));
    mmDescr_->setMaximumHeight(80);
    edUrl_ = line(this, "edUrl", info.link);
    btUrl_ = button(this, "btUrl", "Открыть");
    btUrl_->setToolTip(QStringLiteral("Открыть ссылку в браузере"));
    connect(btUrl_, &QPushButton::clicked, this, [this] {
        const QUrl url = QUrl::fromUserInput(edUrl_->text().trimmed());
        if (url.isValid() && !url.isEmpty()) QDesktopServices::openUrl(url);
    });
    auto* urlRow = new QHBoxLayout;
    urlRow->addWidget(edUrl_, 1);
    urlRow->addWidget(btUrl_);
    // K and the count follow the list; the ranges are wide so that the checks, not the fields,
    // refuse an unfit value with their message.
    edNums_ = spin(this, "edNums", 0, 255, info.numbers);
    edCombLen_ = spin(this, "edCombLen", 5, 5, 5);
    edCombLen_->setEnabled(false);
    edBlock_ = spin(this, "edBlock", 0, 255, info.block);
    edCount_ = spin(this, "edCount", 0, std::numeric_limits<int>::max(), info.count);
    edCount_->setReadOnly(true);
    edCount_->setButtonSymbols(QAbstractSpinBox::NoButtons);

    mmCombs_ = new QPlainTextEdit(qs(initial.combinations), this);
    mmCombs_->setObjectName(QStringLiteral("mmCombs"));
    mmCombs_->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmCombs_->installEventFilter(this);
    auto* tools = new QHBoxLayout;
    auto* btCopy = button(this, "btCopy", "Копировать");
    auto* btPaste = button(this, "btPaste", "Вставить");
    auto* btSelectAll = button(this, "btSelectAll", "Выделить все");
    auto* btLoad = button(this, "btLoad", "Загрузить из файла...");
    auto* btSave = button(this, "btSave", "Сохранить в файл...");
    connect(btCopy, &QPushButton::clicked, this, [this] {
        if (mmCombs_->textCursor().hasSelection()) mmCombs_->copy();
        else QApplication::clipboard()->setText(mmCombs_->toPlainText());
    });
    connect(btPaste, &QPushButton::clicked, this, [this] {
        mmCombs_->paste();
        normaliseList();
    });
    connect(btSelectAll, &QPushButton::clicked, this, [this] {
        mmCombs_->setFocus();
        mmCombs_->selectAll();
    });
    connect(btLoad, &QPushButton::clicked, this, &TFormSystem::loadFromFile);
    connect(btSave, &QPushButton::clicked, this, &TFormSystem::saveToFile);
    for (QPushButton* b : {btCopy, btPaste, btSelectAll, btLoad, btSave}) tools->addWidget(b);
    tools->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Название системы:"), edTitle_);
    form->addRow(QStringLiteral("Автор системы:"), edAuthor_);
    form->addRow(QStringLiteral("Описание системы:"), mmDescr_);
    form->addRow(QStringLiteral("Ссылка на интернет-ресурс:"), urlRow);
    form->addRow(QStringLiteral("Количество используемых чисел:"), edNums_);
    form->addRow(QStringLiteral("Длина одной комбинации:"), edCombLen_);
    form->addRow(QStringLiteral("Длина блока:"), edBlock_);
    form->addRow(QStringLiteral("Количество комбинаций:"), edCount_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Список комбинаций системы:"), this));
    layout->addLayout(tools);
    layout->addWidget(mmCombs_, 1);
    auto* box = okCancel(this);
    layout->addWidget(box);

    if (!editable) {
        for (QLineEdit* e : {edTitle_, edAuthor_, edUrl_}) e->setReadOnly(true);
        for (QPlainTextEdit* e : {mmDescr_, mmCombs_}) e->setReadOnly(true);
        for (QSpinBox* e : {edNums_, edBlock_}) e->setReadOnly(true);
        for (QPushButton* b : {btPaste, btLoad}) b->setEnabled(false);
        box->button(QDialogButtonBox::Ok)->hide();
    }
    resize(620, 560);
    ui::keepPlacement(*this, "TFormSystem");
}

bool TFormSystem::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mmCombs_ && event->type() == QEvent::FocusOut && !mmCombs_->isReadOnly()) normaliseList();
    return QDialog::eventFilter(watched, event);
}

void TFormSystem::normaliseList() {
    const auto n = normaliseSystemText(us(mmCombs_->toPlainText()));
    const QString text = qs(n.text);
    if (text != mmCombs_->toPlainText()) mmCombs_->setPlainText(text);
    edNums_->setValue(n.numbers);
    edCount_->setValue(n.count);
}

TSystemData TFormSystem::system() const {
    TSystemData d = initial_;
    d.info.title = us(edTitle_->text().trimmed());
    d.info.author = us(edAuthor_->text().trimmed());
    d.info.description = us(mmDescr_->toPlainText().trimmed());
    d.info.link = us(edUrl_->text().trimmed());
    d.info.numbers = static_cast<decltype(d.info.numbers)>(edNums_->value());
    d.info.block = static_cast<decltype(d.info.block)>(edBlock_->value());
    d.info.count = edCount_->value();
    d.combinations = us(mmCombs_->toPlainText());
    return d;
}

void TFormSystem::accept() {
    // The list may still hold the focus (OK by the keyboard): it is normalised before checking.
    normaliseList();
    if (const auto problem = checkSystemInput(system())) {
        interaction_.warning(*problem);
        return;
    }
    QDialog::accept();
}

void TFormSystem::loadFromFile() {
    const QString name = ui::chooseOpenFile(this, QStringLiteral("Загрузить список комбинаций"), kSystemTextFilter);
    if (name.isEmpty()) return;
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) {
        interaction_.error(fmt(kSystemFileReadError, us(name), us(f.errorString())));
        return;
    }
    mmCombs_->setPlainText(QString::fromUtf8(f.readAll()));
    normaliseList();
}

void TFormSystem::saveToFile() {
    const QString name = ui::chooseSaveFile(this, QStringLiteral("Сохранить список комбинаций"), kSystemTextFilter,
                                            QStringLiteral("txt"));
    if (name.isEmpty()) return;
    normaliseList();
    QString text = mmCombs_->toPlainText();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text.toUtf8()) < 0 || !f.flush()) {
        interaction_.error(fmt(kSystemFileWriteError, us(name), us(f.errorString())));
        return;
    }
}

std::optional<TSystemData> TFormSystem::ask(QWidget* parent, const TSystemData& initial, bool editable,
                                            Interaction& interaction) {
    TFormSystem dialog(initial, editable, interaction, parent);
    if (dialog.exec() != QDialog::Accepted || !editable) return std::nullopt;
    return dialog.system();
}

// --- "Создать систему" -------------------------------------------------------------------------------

TFormWheel::TFormWheel(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormWheel"));
    setWindowTitle(QStringLiteral("Создать систему"));
    edNums_ = spin(this, "edNums", kWheelMinNumbers, kWheelMaxNumbers, 10);
    edNums_->setToolTip(QStringLiteral("Количество чисел, которые покрывает система"));
    edGuarantee_ = spin(this, "edGuarantee", kWheelMinGuarantee, kWheelMaxGuarantee, 3);
    edGuarantee_->setToolTip(
        QStringLiteral("Гарантия: если угаданы любые t из выбранных чисел, хотя бы одна комбинация содержит их все"));
    edSeconds_ = spin(this, "edSeconds", 1, 3600, 10);
    edSeconds_->setToolTip(QStringLiteral("Наибольшее время поиска системы меньшего размера, в секундах"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Количество чисел:"), edNums_);
    form->addRow(QStringLiteral("Гарантия (t из t):"), edGuarantee_);
    form->addRow(QStringLiteral("Время поиска, с:"), edSeconds_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    ui::keepPlacement(*this, "TFormWheel");
}

WheelDialogResult TFormWheel::values() const {
    return {edNums_->value(), edGuarantee_->value(), edSeconds_->value()};
}

std::optional<WheelDialogResult> TFormWheel::ask(QWidget* parent) {
    TFormWheel dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.values();
}

}  // namespace tavlora::app
