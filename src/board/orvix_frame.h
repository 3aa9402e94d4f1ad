#pragma once

#include "app/feature_frame.h"

namespace orvix {

// The post view window; closing it only hides it.
class COrvixFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit COrvixFrame(QWidget* parent = nullptr);
};

} // namespace orvix
