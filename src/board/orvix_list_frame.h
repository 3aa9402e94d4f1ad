#pragma once

#include "app/feature_frame.h"

namespace orvix {

class COrvixListView;

// The post list window: a narrow window with a caption and no close box, 470 × 600 at y = 200,
// around the post list view.
class COrvixListFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit COrvixListFrame(QWidget* parent = nullptr);

    COrvixListView* view() const { return m_view; }

private:
    COrvixListView* m_view;
};

} // namespace orvix
