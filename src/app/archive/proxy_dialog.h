#pragma once
// The dialog "Параметры proxy-сервера": how the draw download reaches the results page (no
// proxy, an automatic search of the proxy-list service, or a proxy given by hand with its port,
// user name and password, which are editable only for that choice), and below it the group of
// the results page itself (its address, the operator's name of the game, the proxy-list
// service). Opened with copies of the program's proxy state and of the DOWNLOAD section.
#include <QDialog>

#include "archive/download_settings.h"
#include "archive/proxy_settings.h"
#include "core/interaction.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tavlora::app {

class TabHost;

inline constexpr const char* kProxyDialogCaption = "Параметры proxy-сервера";
inline constexpr const char* kProxySavingText = "Сохранение файла конфигурации...";
inline constexpr const char* kProxyServerMissing = "Укажите имя или адрес proxy-сервера.";

class TProxyDialog : public QDialog {
    Q_OBJECT
public:
    TProxyDialog(QWidget* parent, const TProxySettings& proxy, const TDownloadSettings& site,
                 Interaction& interaction);

    // The proxy state as the dialog gives it: the mode of the chosen button (a mode other than
    // 0..2 shows as no proxy), the four fields taken; the automatic search clears them.
    TProxySettings proxy() const;
    // The results page group, trimmed.
    TDownloadSettings site() const;

    QRadioButton* noneButton() const { return rbNone_; }
    QRadioButton* autoButton() const { return rbAuto_; }
    QRadioButton* manualButton() const { return rbManual_; }
    QLineEdit* serverEdit() const { return edServer_; }
    QSpinBox* portEdit() const { return edPort_; }
    QLineEdit* userEdit() const { return edUser_; }
    QLineEdit* passwordEdit() const { return edPassword_; }
    QLineEdit* urlEdit() const { return edUrl_; }
    QLineEdit* gameEdit() const { return edGame_; }
    QLineEdit* proxyListEdit() const { return edProxyList_; }

public slots:
    // A hand-chosen proxy needs a server: refused with a message naming it, the dialog stays.
    void accept() override;

private:
    void modeChanged();

    Interaction& interaction_;
    QRadioButton* rbNone_;
    QRadioButton* rbAuto_;
    QRadioButton* rbManual_;
    QLineEdit* edServer_;
    QSpinBox* edPort_;
    QLineEdit* edUser_;
    QLineEdit* edPassword_;
    QLineEdit* edUrl_;
    QLineEdit* edGame_;
    QLineEdit* edProxyList_;
};

// The EditProxy command: the dialog over the program's proxy state and the DOWNLOAD section of
// the data folder's configuration file; on OK both sections are written (status text while
// writing, a failure shown) and the new proxy state is the program's from now on. True when the
// dialog was confirmed and written.
bool editProxySettings(QWidget* parent, TabHost& host);

}  // namespace tavlora::app
