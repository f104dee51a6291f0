#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/text.h"

namespace tavlora::ui {

QString qtFileFilter(std::string_view filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString caption = parts[i].trimmed();
        const QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        QString qtPatterns = patterns;
        qtPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!qtPatterns.isEmpty() && !caption.contains(QLatin1Char('(')))
            caption += QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
        else if (!qtPatterns.isEmpty()) {
            // Qt reads the patterns from the parentheses: make sure they are the real ones.
            const qsizetype open = caption.lastIndexOf(QLatin1Char('('));
            caption = caption.left(open).trimmed() + QStringLiteral(" (") + qtPatterns + QLatin1Char(')');
        }
        if (!caption.isEmpty()) entries << caption;
    }
    return entries.join(QStringLiteral(";;"));
}

QString withDefaultExtension(const QString& fileName, const QString& extension) {
    if (fileName.isEmpty() || extension.isEmpty()) return fileName;
    if (!QFileInfo(fileName).suffix().isEmpty()) return fileName;
    QString ext = extension;
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    return fileName + QLatin1Char('.') + ext;
}

namespace {

QString& dialogFolder() {
    static QString folder;
    return folder;
}

}  // namespace

void setFileDialogFolder(const QString& folder) { dialogFolder() = folder; }

const QString& fileDialogFolder() { return dialogFolder(); }

QString chooseOpenFile(QWidget* parent, const QString& caption, std::string_view filter) {
    return QFileDialog::getOpenFileName(parent, caption, dialogFolder(), qtFileFilter(filter));
}

QString chooseSaveFile(QWidget* parent, const QString& caption, std::string_view filter, const QString& extension) {
    return withDefaultExtension(QFileDialog::getSaveFileName(parent, caption, dialogFolder(), qtFileFilter(filter)),
                                extension);
}

}  // namespace tavlora::ui
