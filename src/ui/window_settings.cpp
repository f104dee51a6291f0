#include "ui/window_settings.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTreeView>
#include <QWidget>
#include <exception>
#include <vector>

#include "core/window_settings.h"

namespace tavlora::ui {

namespace {

std::filesystem::path& fileRef() {
    static std::filesystem::path f;
    return f;
}

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

QHeaderView* columnHeader(const QAbstractItemView& list) {
    if (auto* table = qobject_cast<const QTableView*>(&list)) return table->horizontalHeader();
    if (auto* tree = qobject_cast<const QTreeView*>(&list)) return tree->header();
    return nullptr;
}

bool onSomeScreen(const QRect& r) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(r)) return true;
    return false;
}

// Restores at the first Show, stores at every Hide.
class PlacementKeeper : public QObject {
public:
    PlacementKeeper(QWidget& window, std::string section, std::initializer_list<QAbstractItemView*> lists)
        : QObject(&window), window_(window), section_(std::move(section)) {
        for (QAbstractItemView* l : lists) lists_.emplace_back(l);
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_) {
            if (event->type() == QEvent::Show && !restored_) {
                restored_ = true;
                restorePlacement(window_, section_);
                for (const auto& l : lists_)
                    if (l) restoreColumnWidths(*l, section_);
            } else if (event->type() == QEvent::Hide && restored_) {
                savePlacement(window_, section_);
                for (const auto& l : lists_)
                    if (l) saveColumnWidths(*l, section_);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& window_;
    std::string section_;
    std::vector<QPointer<QAbstractItemView>> lists_;
    bool restored_ = false;
};

}  // namespace

void setWindowSettingsFile(const std::filesystem::path& frmPath) { fileRef() = frmPath; }
const std::filesystem::path& windowSettingsFile() { return fileRef(); }

void restorePlacement(QWidget& window, const std::string& section) {
    if (fileRef().empty()) return;
    try {
        const QSize screen = screenSize();
        const TWindowPlacement p = loadPlacement(fileRef(), section, screen.width(), screen.height());
        if (p.valid) {
            const QRect r(p.left, p.top, p.width, p.height);
            if (onSomeScreen(r)) window.setGeometry(r);
            else window.resize(r.size());
        }
        if (p.maximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
    } catch (const std::exception&) {
        // An unreadable settings file leaves the designed placement.
    }
}

void savePlacement(const QWidget& window, const std::string& section) {
    if (fileRef().empty()) return;
    TWindowPlacement p;
    const QRect r = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    p.valid = true;
    p.left = r.left();
    p.top = r.top();
    p.width = r.width();
    p.height = r.height();
    p.maximized = window.isMaximized();
    p.pixelsPerInch = window.logicalDpiY();
    try {
        const QSize screen = screenSize();
        tavlora::savePlacement(fileRef(), section, p, screen.width(), screen.height());
    } catch (const std::exception&) {
        // Placement is a convenience: a settings file that cannot be written keeps its old values.
    }
}

void restoreColumnWidths(QAbstractItemView& list, const std::string& section) {
    QHeaderView* header = columnHeader(list);
    if (fileRef().empty() || !header || !list.model()) return;
    try {
        const auto widths = loadColumnWidths(fileRef(), section, list.objectName().toStdString());
        for (std::size_t i = 0; i < widths.size() && i < static_cast<std::size_t>(list.model()->columnCount()); ++i)
            if (widths[i] > 0) header->resizeSection(static_cast<int>(i), widths[i]);
    } catch (const std::exception&) {
    }
}

void saveColumnWidths(const QAbstractItemView& list, const std::string& section) {
    const QHeaderView* header = columnHeader(list);
    if (fileRef().empty() || !header || !list.model()) return;
    std::vector<int> widths;
    for (int c = 0; c < list.model()->columnCount(); ++c) widths.push_back(header->sectionSize(c));
    try {
        tavlora::saveColumnWidths(fileRef(), section, list.objectName().toStdString(), widths);
    } catch (const std::exception&) {
    }
}

void keepPlacement(QWidget& window, const std::string& section, std::initializer_list<QAbstractItemView*> lists) {
    new PlacementKeeper(window, section, lists);
}

}  // namespace tavlora::ui
