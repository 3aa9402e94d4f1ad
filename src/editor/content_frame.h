#pragma once

#include "platform/frame_window.h"

namespace orvix {

// The content editor's window: without close box; it is hidden, never destroyed.
class CContentFrame : public orvix::FrameWindow {
    Q_OBJECT
public:
    explicit CContentFrame(QWidget* parent = nullptr);
};

} // namespace orvix
