#include "ui/elided_label.h"

#include <QResizeEvent>

namespace tavlora::ui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text) {
    if (text == full_ && !text.isEmpty()) return;
    full_ = text;
    elide();
}

QSize ElidedLabel::minimumSizeHint() const {
    // Room for an ellipsis; the height of one line.
    const QSize base = QLabel::minimumSizeHint();
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) + 2 * frameWidth() + 2 * margin() + 4, base.height()};
}

QSize ElidedLabel::sizeHint() const { return {minimumSizeHint().width(), QLabel::sizeHint().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() {
    // A negative indent means half an "x" beside a frame; count it on both sides to be safe.
    const int indentation = indent() >= 0 ? indent() : (frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0);
    const int room = contentsRect().width() - 2 * margin() - 2 * indentation;
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(0, room));
    QLabel::setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace tavlora::ui
