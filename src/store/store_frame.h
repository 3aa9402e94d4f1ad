#pragma once

#include "app/feature_frame.h"

namespace orvix {

class CStoreAddView;

// The store registration window: 700 × 600 at the top 180, centred as an 800-wide window
// would be, around the store form. Opened by the New command; closing it only hides it.
class CStoreFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit CStoreFrame(QWidget* parent = nullptr);

    CStoreAddView* view() const { return m_view; }

private:
    CStoreAddView* m_view;
};

} // namespace orvix
