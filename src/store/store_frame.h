#pragma once

#include "app/feature_frame.h"

namespace orvix {

// The store registration window.
class CStoreFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit CStoreFrame(QWidget* parent = nullptr);
};

} // namespace orvix
