#pragma once
// A one-line label that never asks for more room than it is given: a text wider than the label
// is cut with an ellipsis, and the whole text stays available as the tooltip. The hint panel of
// the status bar uses it so that a long hint cannot push the other panels together.
#include <QLabel>

namespace tavlora::ui {

class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The whole text; text() holds what fits.
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString full_;
};

}  // namespace tavlora::ui
