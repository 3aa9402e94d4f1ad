#pragma once

#include "platform/frame_window.h"

namespace orvix {

// The post list window: a narrow window with a caption and no close box.
class COrvixListFrame : public orvix::FrameWindow {
    Q_OBJECT
public:
    explicit COrvixListFrame(QWidget* parent = nullptr);
};

} // namespace orvix
