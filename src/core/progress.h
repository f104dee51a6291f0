#pragma once
// Progress reporting for long operations. The GUI shows a status text and a gauge and runs its
// event loop in pump(); the command line prints a progress line; tests use NullProgress.
// A stop request ("Стоп" / "Отмена") is polled by the operation through stopRequested().
#include <atomic>
#include <cstdint>
#include <string>

namespace tavlora {

class Progress {
public:
    virtual ~Progress() = default;
    // Status text of the operation (an empty text clears it).
    virtual void setText(const std::string& text) = 0;
    // Gauge: maximum and current position (position is clamped to the maximum by implementations).
    virtual void setMaximum(int64_t maximum) = 0;
    virtual void setPosition(int64_t position) = 0;
    // Lets the front end process its events; called between steps of long work.
    virtual void pump() {}
    // True once the user asked to stop. Safe to call from worker threads.
    virtual bool stopRequested() const = 0;
};

// Shows a status text while an operation runs and clears it on every way out (return, stop or
// exception). update() replaces the text (a later step of the same operation, or the text again
// after a nested operation cleared it); the guard still clears it at the end. A null progress
// (an operation run without one) shows nothing.
class StatusScope {
public:
    StatusScope(Progress& progress, const std::string& text) : StatusScope(&progress, text) {}
    StatusScope(Progress* progress, const std::string& text) : progress_(progress) { update(text); }
    ~StatusScope() { clear(); }
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;

    void update(const std::string& text) {
        if (progress_) progress_->setText(text);
    }
    // Clears the text now (before the guard ends, when something must follow the cleared text);
    // the guard then no longer touches it.
    void clear() {
        if (progress_) progress_->setText(std::string());
        progress_ = nullptr;
    }

private:
    Progress* progress_;
};

// A progress sink that shows nothing; its stop flag can be raised programmatically.
class NullProgress : public Progress {
public:
    void setText(const std::string&) override {}
    void setMaximum(int64_t) override {}
    void setPosition(int64_t) override {}
    bool stopRequested() const override { return stop_.load(std::memory_order_relaxed); }
    void requestStop() { stop_.store(true, std::memory_order_relaxed); }
    void reset() { stop_.store(false, std::memory_order_relaxed); }

private:
    std::atomic<bool> stop_{false};
};

}  // namespace tavlora
