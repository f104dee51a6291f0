#include "ui/wait_window.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavlora::ui {

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 60;
constexpr int kHeightWithStop = 120;

struct Window {
    QPointer<QFrame> frame;
    QLabel* label = nullptr;
    QPushButton* stop = nullptr;
    std::function<void()> onStop;
};

Window& window() {
    static Window w;
    return w;
}

void place(QWidget* parent) {
    Window& w = window();
    if (!parent) return;
    const QPoint centre = parent->mapToGlobal(parent->rect().center());
    w.frame->move(centre - QPoint(w.frame->width() / 2, w.frame->height() / 2));
}

void create(QWidget* parent) {
    Window& w = window();
    if (w.frame) return;
    w.stop = nullptr;  // a frame freed with its parent took its button along
    w.frame = new QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    w.frame->setObjectName(QStringLiteral("WaitWindow"));
    w.frame->setFrameShape(QFrame::Panel);
    w.frame->setFrameShadow(QFrame::Raised);
    w.frame->setLineWidth(2);
    auto* layout = new QVBoxLayout(w.frame);
    w.label = new QLabel(w.frame);
    w.label->setAlignment(Qt::AlignCenter);
    w.label->setWordWrap(true);
    layout->addWidget(w.label);
    w.frame->setFixedSize(kWidth, kHeight);
    place(parent);
}

}  // namespace

void WaitWindow::show(const QString& text, QWidget* parent) {
    Window& w = window();
    create(parent);
    w.label->setText(text);
    w.frame->show();
    w.frame->raise();
    QCoreApplication::processEvents();
}

void WaitWindow::setStopHandler(std::function<void()> onStop, QWidget* parent) {
    Window& w = window();
    create(parent);
    w.onStop = std::move(onStop);
    if (!w.onStop) {
        delete w.stop;
        w.stop = nullptr;
        w.frame->setFixedSize(kWidth, kHeight);
        return;
    }
    if (!w.stop) {
        w.stop = new QPushButton(QString::fromUtf8(kWaitStopCaption), w.frame);
        w.stop->setObjectName(QStringLiteral("btnWaitStop"));
        w.frame->layout()->addWidget(w.stop);
        w.frame->layout()->setAlignment(w.stop, Qt::AlignHCenter);
        // A stop is asked once: the button stays disabled while the work winds down.
        QObject::connect(w.stop, &QPushButton::clicked, w.frame, [] {
            Window& current = window();
            current.stop->setEnabled(false);
            if (current.onStop) current.onStop();
        });
    }
    w.stop->setEnabled(true);
    w.frame->setFixedSize(kWidth, kHeightWithStop);
    place(parent);
}

void WaitWindow::hide() {
    Window& w = window();
    delete w.frame.data();
    w.frame = nullptr;
    w.label = nullptr;
    w.stop = nullptr;
    w.onStop = nullptr;
}

bool WaitWindow::visible() { return window().frame && window().frame->isVisible(); }

QString WaitWindow::text() { return window().frame ? window().label->text() : QString(); }

QPushButton* WaitWindow::stopButton() { return window().frame ? window().stop : nullptr; }

}  // namespace tavlora::ui
