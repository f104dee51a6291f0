#pragma once
// The window "Описание методики расчета": the description page of one statistics method and,
// below it, the method's values for the newest draw of the open archive (the draw offset applied),
// computed when the window opens, as a worked example. The window keeps its size and position in
// the window-settings file, in a section of its own.
#include <QDialog>

class QLabel;
class QTextBrowser;

namespace tavlora {
class Session;
}  // namespace tavlora

namespace tavlora::app {

class HelpBrowser;

inline constexpr const char* kDescriptionTitle = "Описание методики расчета";
inline constexpr const char* kDescriptionSection = "TFilterInfoForm";

class MethodDescriptionWindow : public QDialog {
    Q_OBJECT
public:
    // methodIndex: the method's registry index.
    MethodDescriptionWindow(const Session& session, int methodIndex, QWidget* parent = nullptr);

    HelpBrowser* browser() const { return browser_; }
    QTextBrowser* exampleView() const { return example_; }

private:
    HelpBrowser* browser_ = nullptr;
    QTextBrowser* example_ = nullptr;
};

}  // namespace tavlora::app
