#pragma once

#include "platform/frame_window.h"

// The store registration window.
class CStoreFrame : public orvix::FrameWindow {
    Q_OBJECT
public:
    explicit CStoreFrame(QWidget* parent = nullptr);
};
