#pragma once

#include "app/feature_frame.h"
#include "platform/template_dialog.h"

namespace orvix {

class COrvixAreaView;

// The post view window: 700 × 600 at y = 180, the post view above a tool bar of five picture
// buttons with their labels (Smart Editor, Write Text, Photo, Document, Reload). Closing it
// only hides it; the post list shows it again.
class COrvixFrame : public FeatureFrame {
    Q_OBJECT
public:
    static constexpr int ToolBarId = 2019;
    static constexpr int ToolBarTemplate = 153;

    // The tool bar's buttons with their pictures and labels, left to right.
    struct ToolButton {
        int id;
        int bitmap;
        int label;
    };
    static const ToolButton kToolButtons[5];

    static DialogTemplate toolBarTemplate();

    explicit COrvixFrame(QWidget* parent = nullptr);

    COrvixAreaView* view() const { return m_view; }
    QWidget* toolBar() const { return m_toolBar; }

    // A command sent to the frame (the tool bar's buttons, and 1019–1021 which have none):
    // handled by the view; false for ids that are not the view's.
    bool OnCommand(int id);

private:
    COrvixAreaView* m_view;
    QWidget* m_toolBar;
};

} // namespace orvix
