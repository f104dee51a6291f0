#include "app/favourites/help_window.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/favourites/help_browser.h"
#include "help/help_pages.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;

namespace {

constexpr int kPageRole = Qt::UserRole;

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("THelpForm"));
    setWindowTitle(QString::fromUtf8(kHelpTitle));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    btnBack_ = new QToolButton(this);
    btnBack_->setObjectName(QStringLiteral("btnBack"));
    btnBack_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    btnBack_->setToolTip(QStringLiteral("Назад"));
    btnForward_ = new QToolButton(this);
    btnForward_->setObjectName(QStringLiteral("btnForward"));
    btnForward_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    btnForward_->setToolTip(QStringLiteral("Вперед"));
    auto* home = new QToolButton(this);
    home->setObjectName(QStringLiteral("btnHome"));
    home->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    home->setToolTip(QStringLiteral("Содержание"));
    edFilter_ = new QLineEdit(this);
    edFilter_->setObjectName(QStringLiteral("edFilter"));
    edFilter_->setPlaceholderText(QStringLiteral("Поиск по названиям страниц"));
    edFilter_->setClearButtonEnabled(true);
    bar->addWidget(btnBack_);
    bar->addWidget(btnForward_);
    bar->addWidget(home);
    bar->addWidget(edFilter_, 1);
    layout->addLayout(bar);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    lbTitles_ = new QListWidget(splitter);
    lbTitles_->setObjectName(QStringLiteral("lbTitles"));
    browser_ = new HelpBrowser(splitter);
    browser_->setObjectName(QStringLiteral("wbHelp"));
    splitter->addWidget(lbTitles_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    layout->addWidget(splitter, 1);

    // The index first, then the program pages and the method pages, each by title.
    struct Entry {
        QString title, page;
        int rank;
    };
    std::vector<Entry> entries;
    for (std::string_view name : helpPageNames()) {
        const QString page = qs(name);
        const int rank = page.compare(qs(kHelpIndexPage), Qt::CaseInsensitive) == 0 ? 0
                         : page.startsWith(QStringLiteral("Filters_"))                  ? 2
                                                                                          : 1;
        entries.push_back({helpPageTitle(page), page, rank});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        return QString::localeAwareCompare(a.title, b.title) < 0;
    });
    for (const Entry& e : entries) {
        auto* item = new QListWidgetItem(e.title, lbTitles_);
        item->setData(kPageRole, e.page);
        item->setToolTip(e.page);
    }

    connect(edFilter_, &QLineEdit::textChanged, this, &HelpWindow::applyFilter);
    connect(lbTitles_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { browser_->openPage(item->data(kPageRole).toString()); });
    connect(lbTitles_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { browser_->openPage(item->data(kPageRole).toString()); });
    connect(btnBack_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(btnForward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, [this] { browser_->openPage(qs(kHelpIndexPage)); });
    connect(browser_, &QTextBrowser::backwardAvailable, btnBack_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, btnForward_, &QToolButton::setEnabled);
    // Pressing Enter in the filter opens the first page that matches.
    connect(edFilter_, &QLineEdit::returnPressed, this, [this] {
        for (int i = 0; i < lbTitles_->count(); ++i)
            if (!lbTitles_->item(i)->isHidden()) {
                lbTitles_->setCurrentRow(i);
                browser_->openPage(lbTitles_->item(i)->data(kPageRole).toString());
                return;
            }
    });
    btnBack_->setEnabled(false);
    btnForward_->setEnabled(false);
    browser_->openPage(qs(kHelpIndexPage));
    resize(960, 680);
}

void HelpWindow::applyFilter(const QString& text) {
    const QString wanted = text.trimmed();
    for (int i = 0; i < lbTitles_->count(); ++i) {
        QListWidgetItem* item = lbTitles_->item(i);
        item->setHidden(!wanted.isEmpty() && !item->text().contains(wanted, Qt::CaseInsensitive));
    }
}

QStringList HelpWindow::visibleTitles() const {
    QStringList titles;
    for (int i = 0; i < lbTitles_->count(); ++i)
        if (!lbTitles_->item(i)->isHidden()) titles << lbTitles_->item(i)->text();
    return titles;
}

}  // namespace tavlora::app
