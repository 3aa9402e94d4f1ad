#pragma once

#include "platform/frame_window.h"

namespace orvix {

// The store registration window.
class CStoreFrame : public orvix::FrameWindow {
    Q_OBJECT
public:
    explicit CStoreFrame(QWidget* parent = nullptr);
};

} // namespace orvix
