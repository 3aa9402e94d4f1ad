#pragma once

#include "app/orvix_win_app.h"
#include "platform/frame_window.h"

namespace orvix {

// A feature window: a frame at its fixed place and size that registers itself with the
// application object when it is created, so the launcher and the other windows can reach it.
class FeatureFrame : public FrameWindow {
    Q_OBJECT
public:
    FeatureFrame(COrvixWinApp::Window which, Caption caption, const QRect& geometry,
                 QWidget* parent = nullptr);
};

} // namespace orvix
