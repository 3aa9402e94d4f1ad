#pragma once

#include "app/feature_frame.h"

namespace orvix {

// The content editor's window: without close box; it is hidden, never destroyed.
class CContentFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit CContentFrame(QWidget* parent = nullptr);
};

} // namespace orvix
