#include "ui/wait_window.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace tavlora::ui {

namespace {

struct Window {
    QPointer<QFrame> frame;
    QLabel* label = nullptr;
};

Window& window() {
    static Window w;
    return w;
}

}  // namespace

void WaitWindow::show(const QString& text, QWidget* parent) {
    Window& w = window();
    if (!w.frame) {
        w.frame = new QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        w.frame->setFrameShape(QFrame::Panel);
        w.frame->setFrameShadow(QFrame::Raised);
        w.frame->setLineWidth(2);
        auto* layout = new QVBoxLayout(w.frame);
        w.label = new QLabel(w.frame);
        w.label->setAlignment(Qt::AlignCenter);
        layout->addWidget(w.label);
        w.frame->setFixedSize(360, 60);
        if (parent) {
            const QPoint centre = parent->mapToGlobal(parent->rect().center());
            w.frame->move(centre - QPoint(180, 30));
        }
    }
    w.label->setText(text);
    w.frame->show();
    w.frame->raise();
    QCoreApplication::processEvents();
}

void WaitWindow::hide() {
    Window& w = window();
    delete w.frame.data();
    w.frame = nullptr;
    w.label = nullptr;
}

bool WaitWindow::visible() { return window().frame && window().frame->isVisible(); }

QString WaitWindow::text() { return window().frame ? window().label->text() : QString(); }

}  // namespace tavlora::ui
