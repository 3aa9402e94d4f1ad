#pragma once

#include "app/orvix_win_app.h"
#include "platform/frame_window.h"

namespace orvix {

// A feature window: a frame that sets its own title, places itself at its fixed place and size
// and registers itself with the application object when it is created, so the launcher and the
// other windows can reach it. A feature's frame derives from it and passes what it is:
//
//     CChatFrame::CChatFrame(QWidget* parent)
//         : FeatureFrame(COrvixWinApp::Window::ChatFrame, Caption::WithoutSystemMenu, QString(),
//                        QRect(centredLeft(800), 200, 800, 450), parent) {}
//
// Start-up creates it through its document template (src/document_templates.cpp).
class FeatureFrame : public FrameWindow {
    Q_OBJECT
public:
    FeatureFrame(COrvixWinApp::Window which, Caption caption, const QString& title,
                 const QRect& geometry, QWidget* parent = nullptr);
};

} // namespace orvix
