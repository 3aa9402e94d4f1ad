#pragma once

#include "app/feature_frame.h"

namespace orvix {

// The post list window: a narrow window with a caption and no close box.
class COrvixListFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit COrvixListFrame(QWidget* parent = nullptr);
};

} // namespace orvix
