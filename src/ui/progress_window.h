#pragma once
// The progress window: at most one at a time, with a text, a gauge and optionally an "Отмена"
// button. Pressing "Отмена" disables the button; that is the stop request the running operation
// polls. Every update lets the event loop run.
#include <QDialog>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavlora::ui {

inline constexpr const char* kProgressWindowExists = "Окно индикатора уже создано!";
inline constexpr int kProgressHeightWithCancel = 105;
inline constexpr int kProgressHeightWithoutCancel = 74;

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    // Opens the window. Throws EError(kProgressWindowExists) while another one is open.
    ProgressWindow(QWidget* parent, const QString& text, int64_t maximum, bool cancellable);
    ~ProgressWindow() override;

    // The open window, or null.
    static ProgressWindow* current() { return current_; }

    void setText(const QString& text);
    void setMaximum(int64_t maximum);
    // Position clamped to 0..maximum.
    void setPosition(int64_t position);
    void step(int64_t by = 1) { setPosition(position_ + by); }
    int64_t position() const { return position_; }
    int64_t maximum() const { return maximum_; }
    bool stopRequested() const { return stopRequested_; }
    // What pressing "Отмена" does (also callable by tests).
    void requestStop();
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void updateGauge();
    static void pump();

    static ProgressWindow* current_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int64_t maximum_ = 0;
    int64_t position_ = 0;
    bool stopRequested_ = false;
};

}  // namespace tavlora::ui
