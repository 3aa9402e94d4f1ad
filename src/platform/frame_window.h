#pragma once

#include <QMainWindow>

namespace orvix {

// A top-level frame of a feature window. Feature windows live for the whole run: a close
// request (the close box, the keyboard) only hides them.
class FrameWindow : public QMainWindow {
    Q_OBJECT
public:
    enum class Caption {
        WithSystemMenu,    // caption with close box
        WithoutSystemMenu, // caption only: the window cannot be closed by the member
    };

    explicit FrameWindow(Caption caption, QWidget* parent = nullptr);

    // Places the frame at (left, top) with an outer size of width × height, caption and border
    // included; the client area takes what is inside (see FramePlacement).
    void placeAt(int left, int top, int width, int height);

    // Width of the primary screen's work area (0 without a screen).
    static int workAreaWidth();
    // Left edge that centres a window of the given width on that work area (integer division,
    // as all windows of the program compute it).
    static int centredLeft(int width) { return (workAreaWidth() - width) / 2; }

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace orvix
