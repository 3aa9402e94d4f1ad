#pragma once

#include "platform/frame_window.h"

namespace orvix {

// The post view window; closing it only hides it.
class COrvixFrame : public orvix::FrameWindow {
    Q_OBJECT
public:
    explicit COrvixFrame(QWidget* parent = nullptr);
};

} // namespace orvix
