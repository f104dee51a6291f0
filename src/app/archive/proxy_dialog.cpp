#include "app/archive/proxy_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/tab.h"
#include "core/progress.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

std::string trimmed(const QLineEdit* edit) { return std::string(trimText(us(edit->text()))); }

}  // namespace

TProxyDialog::TProxyDialog(QWidget* parent, const TProxySettings& proxy, const TDownloadSettings& site,
                           Interaction& interaction)
    : QDialog(parent), interaction_(interaction) {
    setObjectName(QStringLiteral("TProxyDialog"));
    setWindowTitle(qs(kProxyDialogCaption));
    auto* layout = new QVBoxLayout(this);

    auto* proxyGroup = new QGroupBox(qs(kProxyDialogCaption), this);
    auto* proxyLayout = new QVBoxLayout(proxyGroup);
    rbNone_ = new QRadioButton(QStringLiteral("Не использовать proxy-сервер"), proxyGroup);
    rbNone_->setObjectName(QStringLiteral("rbProxyNone"));
    rbAuto_ = new QRadioButton(QStringLiteral("Автоматический поиск сервера (возможны задержки)"), proxyGroup);
    rbAuto_->setObjectName(QStringLiteral("rbProxyAuto"));
    rbManual_ = new QRadioButton(QStringLiteral("Ручной выбор proxy-сервера:"), proxyGroup);
    rbManual_->setObjectName(QStringLiteral("rbProxyManual"));
    proxyLayout->addWidget(rbNone_);
    proxyLayout->addWidget(rbAuto_);
    proxyLayout->addWidget(rbManual_);
    auto* fields = new QFormLayout;
    fields->setContentsMargins(20, 0, 0, 0);
    edServer_ = new QLineEdit(qs(proxy.server), proxyGroup);
    edServer_->setObjectName(QStringLiteral("edProxyServer"));
    edPort_ = new QSpinBox(proxyGroup);
    edPort_->setObjectName(QStringLiteral("edProxyPort"));
    edPort_->setRange(1, 65535);
    edPort_->setValue(proxy.port >= 1 && proxy.port <= 65535 ? proxy.port : kDefaultProxyPort);
    edUser_ = new QLineEdit(qs(proxy.username), proxyGroup);
    edUser_->setObjectName(QStringLiteral("edProxyUsername"));
    edPassword_ = new QLineEdit(qs(proxy.password), proxyGroup);
    edPassword_->setObjectName(QStringLiteral("edProxyPassword"));
    edPassword_->setEchoMode(QLineEdit::Password);
    fields->addRow(QStringLiteral("Имя или адрес сервера:"), edServer_);
    fields->addRow(QStringLiteral("Порт:"), edPort_);
    fields->addRow(QStringLiteral("Имя пользователя:"), edUser_);
    fields->addRow(QStringLiteral("Пароль:"), edPassword_);
    proxyLayout->addLayout(fields);
    layout->addWidget(proxyGroup);

    auto* siteGroup = new QGroupBox(qs(kDownloadGroupCaption), this);
    auto* siteLayout = new QFormLayout(siteGroup);
    edUrl_ = new QLineEdit(qs(site.url), siteGroup);
    edUrl_->setObjectName(QStringLiteral("edDownloadUrl"));
    edUrl_->setPlaceholderText(QStringLiteral("https://… или file://…"));
    edGame_ = new QLineEdit(qs(site.game), siteGroup);
    edGame_->setObjectName(QStringLiteral("edDownloadGame"));
    edProxyList_ = new QLineEdit(qs(site.proxyListUrl), siteGroup);
    edProxyList_->setObjectName(QStringLiteral("edProxyListUrl"));
    siteLayout->addRow(qs(kDownloadUrlLabel), edUrl_);
    siteLayout->addRow(qs(kDownloadGameLabel), edGame_);
    siteLayout->addRow(qs(kDownloadProxyListLabel), edProxyList_);
    layout->addWidget(siteGroup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TProxyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // A mode outside 0..2 is shown as no proxy.
    if (proxy.mode == kProxyModeAuto) rbAuto_->setChecked(true);
    else if (proxy.mode == kProxyModeManual) rbManual_->setChecked(true);
    else rbNone_->setChecked(true);
    for (QRadioButton* b : {rbNone_, rbAuto_, rbManual_}) connect(b, &QRadioButton::toggled, this, [this] { modeChanged(); });
    modeChanged();
    setMinimumWidth(460);
}

void TProxyDialog::modeChanged() {
    const bool manual = rbManual_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(edServer_), static_cast<QWidget*>(edPort_),
                       static_cast<QWidget*>(edUser_), static_cast<QWidget*>(edPassword_)})
        w->setEnabled(manual);
}

TProxySettings TProxyDialog::proxy() const {
    TProxySettings p;
    p.mode = rbManual_->isChecked() ? kProxyModeManual : rbAuto_->isChecked() ? kProxyModeAuto : kProxyModeNone;
    if (p.mode == kProxyModeAuto) return p;  // the search chooses the server: nothing of a hand-set one is kept
    p.server = trimmed(edServer_);
    p.port = edPort_->value();
    p.username = us(edUser_->text());
    p.password = us(edPassword_->text());
    return p;
}

TDownloadSettings TProxyDialog::site() const { return {trimmed(edUrl_), trimmed(edGame_), trimmed(edProxyList_)}; }

void TProxyDialog::accept() {
    if (rbManual_->isChecked() && trimmed(edServer_).empty()) {
        interaction_.error(kProxyServerMissing);
        edServer_->setFocus();
        return;
    }
    QDialog::accept();
}

bool editProxySettings(QWidget* parent, TabHost& host) {
    Session* session = host.session();
    if (!session) return false;
    const auto ini = session->filePath(".ini");
    TDownloadSettings site;
    try {
        site = loadDownloadSettings(ini);
    } catch (const std::exception& e) {
        host.interaction().error(e.what());
        return false;
    }
    TProxyDialog dialog(parent, host.proxySettings(), site, host.interaction());
    if (dialog.exec() != QDialog::Accepted) return false;
    ui::BusyScope busy(host.busyState());
    StatusScope status(host.progress(), kProxySavingText);
    // The choice holds for this run even when the file cannot take it.
    TProxySettings proxy = dialog.proxy();
    proxy.saved = false;
    bool ok = true;
    try {
        saveProxySettings(ini, proxy);
        saveDownloadSettings(ini, dialog.site());
    } catch (const std::exception& e) {
        host.interaction().error(e.what());
        ok = false;
    }
    host.proxySettings() = proxy;
    return ok;
}

}  // namespace tavlora::app
