#pragma once

#include "platform/frame_window.h"

namespace orvix {

// The photo viewer's window. It sizes itself to the photo it shows; closing it only hides it.
class CImageFrame : public orvix::FrameWindow {
    Q_OBJECT
public:
    explicit CImageFrame(QWidget* parent = nullptr);
};

} // namespace orvix
