#pragma once

#include "app/feature_frame.h"

namespace orvix {

// The photo viewer's window. It sizes itself to the photo it shows; closing it only hides it.
// Until a photo is shown it keeps a modest default size, centred.
class CImageFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit CImageFrame(QWidget* parent = nullptr);
};

} // namespace orvix
