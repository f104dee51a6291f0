#include "app/favourites/method_description.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/favourites/help_browser.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "session/method_example.h"
#include "session/session.h"
#include "help/help_pages.h"
#include "stats/stat_list.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

using ui::qs;

namespace {

// The worked example below the description, as HTML.
QString exampleHtml(const Session& session, int methodIndex) {
    const TMethodExample ex = methodExample(session, methodIndex);
    QString html = QStringLiteral("<h3>Пример расчета</h3>");
    if (ex.drawIndex < 0)
        return html + QStringLiteral("<p>В архиве нет тиража для примера.</p>");
    const TDraw& d = ex.draw;
    html += QStringLiteral("<p>Последний тираж анализа: <b>№ %1</b> от %2, числа <b>%3</b>, доп. число %4.</p>")
                .arg(d.number)
                .arg(qs(d.dateText()).toHtmlEscaped(), qs(semicolonForm(d)))
                .arg(d.extra);
    if (ex.values.empty()) {
        html += QStringLiteral("<p>Метод не дает значений для этого тиража.</p>");
    } else {
        QStringList values;
        for (const std::string& v : ex.values) values << qs(v).toHtmlEscaped();
        html += QStringLiteral("<p>Значения метода (столбец «Значение» таблицы статистики): <b>%1</b></p>")
                    .arg(values.join(QStringLiteral("; ")));
    }
    if (ex.graphNumber)
        html += QStringLiteral("<p>Число для графика: <b>%1</b></p>").arg(*ex.graphNumber);
    return html;
}

}  // namespace

MethodDescriptionWindow::MethodDescriptionWindow(const Session& session, int methodIndex, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(kDescriptionSection));
    setWindowTitle(QString::fromUtf8(kDescriptionTitle));
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    browser_ = new HelpBrowser(splitter);
    browser_->setObjectName(QStringLiteral("wbHelp"));
    example_ = new QTextBrowser(splitter);
    example_->setObjectName(QStringLiteral("wbExample"));
    splitter->addWidget(browser_);
    splitter->addWidget(example_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const TStatList& registry = session.statList();
    if (methodIndex >= 0 && methodIndex < registry.count()) {
        const TStatMethod& m = registry.item(methodIndex);
        const QString page = qs(methodHelpFile(m));
        if (!browser_->openPage(page))
            browser_->setHtml(QStringLiteral("<h1>%1</h1><p>Описание метода %2 отсутствует.</p>")
                                  .arg(qs(m.displayCaption()).toHtmlEscaped(), qs(m.code())));
        setWindowTitle(QStringLiteral("%1 — %2").arg(QString::fromUtf8(kDescriptionTitle), qs(m.code())));
        example_->setHtml(exampleHtml(session, methodIndex));
    }

    resize(640, 600);
    ui::keepPlacement(*this, kDescriptionSection);
}

}  // namespace tavlora::app
