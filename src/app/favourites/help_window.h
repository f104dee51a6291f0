#pragma once
// The help window "Помощь": the program's embedded help pages in a browser, opened at the help
// index, with back and forward, and beside it the list of page titles with a filter field (the
// titles that contain the typed text, letter case ignored). A click on a title opens its page.
#include <QDialog>

class QLineEdit;
class QListWidget;
class QToolButton;

namespace tavlora::app {

class HelpBrowser;

inline constexpr const char* kHelpTitle = "Помощь";

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    HelpBrowser* browser() const { return browser_; }
    QLineEdit* filterEdit() const { return edFilter_; }
    QListWidget* titleList() const { return lbTitles_; }
    QToolButton* backButton() const { return btnBack_; }
    QToolButton* forwardButton() const { return btnForward_; }

    // Shows only the titles that contain text (all for an empty text).
    void applyFilter(const QString& text);
    // The titles now listed, in list order.
    QStringList visibleTitles() const;

private:
    HelpBrowser* browser_ = nullptr;
    QLineEdit* edFilter_ = nullptr;
    QListWidget* lbTitles_ = nullptr;
    QToolButton* btnBack_ = nullptr;
    QToolButton* btnForward_ = nullptr;
};

}  // namespace tavlora::app
