#include "app/favourites/help_browser.h"

#include <QRegularExpression>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

#include "help/help_pages.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

// Page links carry no scheme; the web ones do.
bool isEmbedded(const QUrl& url) { return url.scheme().isEmpty() || url.scheme() == QLatin1String("file"); }

}  // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(true);
}

bool HelpBrowser::openPage(const QString& fileName) {
    if (!helpPage(us(fileName))) return false;
    setSource(QUrl(fileName));
    return true;
}

QString HelpBrowser::pageName() const { return source().fileName(); }

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::HtmlResource && isEmbedded(name)) {
        if (const auto page = helpPage(us(name.fileName()))) return qs(*page);
        return QStringLiteral("<p>Страница %1 не найдена.</p>").arg(name.fileName().toHtmlEscaped());
    }
    return QTextBrowser::loadResource(type, name);
}

QString helpPageTitle(const QString& fileName) {
    const auto page = helpPage(us(fileName));
    if (!page) return fileName;
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = title.match(qs(*page));
    const QString text =
        m.hasMatch() ? QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText().simplified() : QString();
    return text.isEmpty() ? fileName : text;
}

}  // namespace tavlora::app
