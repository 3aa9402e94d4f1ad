#pragma once

#include "app/feature_frame.h"

namespace orvix {

// The chat window: a fixed-size window without close box, centred, 200 pixels from the top. It
// gets its title when the chat windows are first shown (COrvixWinApp::ShowChatWindows).
class CChatFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit CChatFrame(QWidget* parent = nullptr);
};

} // namespace orvix
