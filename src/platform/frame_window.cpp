#include "platform/frame_window.h"

#include "platform/frame_placement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace orvix {

FrameWindow::FrameWindow(Caption caption, QWidget* parent)
    : QMainWindow(parent) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (caption == Caption::WithSystemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
}

void FrameWindow::placeAt(int left, int top, int width, int height) {
    FramePlacement::place(this, QRect(left, top, width, height));
}

int FrameWindow::workAreaWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().width() : 0;
}

void FrameWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

} // namespace orvix
