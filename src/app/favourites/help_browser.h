#pragma once
// A text browser over the program's embedded help pages: a page is addressed by its file name
// ("index.htm", "Filters_1049_SUMS.htm"), links between pages open inside the browser, and
// links to the web open in the desktop's browser.
#include <QString>
#include <QTextBrowser>

namespace tavlora::app {

class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // Shows the embedded page with this file name; false (and nothing changes) when there is none.
    bool openPage(const QString& fileName);
    // The file name of the page shown, empty before the first page.
    QString pageName() const;

    QVariant loadResource(int type, const QUrl& name) override;
};

// The <title> text of an embedded page; its file name when it has none.
QString helpPageTitle(const QString& fileName);

}  // namespace tavlora::app
