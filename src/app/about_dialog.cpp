#include "app/about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/qtchartsversion.h>
#include <curl/curl.h>
#include <xlsxwriter.h>

#ifndef TAVLORA_BUILD_DATE
#define TAVLORA_BUILD_DATE __DATE__
#endif

namespace tavlora::app {

namespace {

QString compilerText() {
#if defined(__clang__)
    return QStringLiteral("Clang ") + QString::fromLatin1(__clang_version__);
#elif defined(__GNUC__)
    return QStringLiteral("GCC ") + QString::fromLatin1(__VERSION__);
#else
    return QStringLiteral("?");
#endif
}

QString curlText() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !info->version) return QString::fromLatin1(LIBCURL_VERSION);
    QString text = QString::fromLatin1(info->version);
    QStringList parts;
    if (info->ssl_version) parts << QString::fromLatin1(info->ssl_version);
    if (info->libz_version) parts << QStringLiteral("zlib/") + QString::fromLatin1(info->libz_version);
    if (!parts.isEmpty()) text += QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QStringLiteral(")");
    return text;
}

}  // namespace

std::vector<std::pair<QString, QString>> libraryVersions() {
    QString qt = QString::fromLatin1(qVersion());
    if (qt != QStringLiteral(QT_VERSION_STR)) qt += QStringLiteral(" (собрано с ") + QStringLiteral(QT_VERSION_STR) + ")";
    return {
        {QStringLiteral("Qt"), qt},
        {QStringLiteral("Qt Charts"), QString::fromLatin1(QTCHARTS_VERSION_STR)},
        {QStringLiteral("libcurl"), curlText()},
        {QStringLiteral("libxlsxwriter"), QString::fromLatin1(lxw_version())},
        {QStringLiteral("Компилятор"), compilerText()},
    };
}

QString aboutText(const std::filesystem::path& dataDir) {
    QString text = QStringLiteral("<p><b>Tavlora 5/69</b><br>Анализатор лотереи 5 из 69 с дополнительным числом из 26</p>");
    text += QStringLiteral("<p>Версия: %1<br>Дата сборки: %2</p>")
                .arg(QString::fromLatin1(TAVLORA_VERSION), QString::fromLatin1(TAVLORA_BUILD_DATE));
    text += QStringLiteral("<p>Библиотеки:<br>");
    for (const auto& [name, version] : libraryVersions())
        text += QStringLiteral("%1: %2<br>").arg(name.toHtmlEscaped(), version.toHtmlEscaped());
    text += QStringLiteral("</p><p>Папка данных:<br>%1</p>")
                .arg(QString::fromStdString(dataDir.string()).toHtmlEscaped());
    return text;
}

AboutDialog::AboutDialog(const std::filesystem::path& dataDir, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QString::fromUtf8(kAboutCaption));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        auto* picture = new QLabel(this);
        picture->setPixmap(icon.pixmap(64, 64));
        picture->setAlignment(Qt::AlignTop);
        row->addWidget(picture);
    }
    auto* label = new QLabel(aboutText(dataDir), this);
    label->setObjectName(QStringLiteral("AboutText"));
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(label, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace tavlora::app
