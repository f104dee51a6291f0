#pragma once
// The busy state of the window: a counter of running long operations. Entering adds 1 and shows
// the wait cursor, leaving subtracts 1 (never below 0) and restores the normal cursor at 0.
#include <QObject>

namespace tavlora::ui {

class BusyState : public QObject {
    Q_OBJECT
public:
    explicit BusyState(QObject* parent = nullptr) : QObject(parent) {}
    ~BusyState() override;

    int count() const { return count_; }
    bool busy() const { return count_ > 0; }
    void enter();
    void leave();

signals:
    // Emitted when the state turns busy or idle.
    void busyChanged(bool busy);

private:
    int count_ = 0;
};

// Enters the busy state for the lifetime of the object.
class BusyScope {
public:
    explicit BusyScope(BusyState& state) : state_(state) { state_.enter(); }
    ~BusyScope() { state_.leave(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyState& state_;
};

}  // namespace tavlora::ui
