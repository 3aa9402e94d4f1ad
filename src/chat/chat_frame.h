#pragma once

#include "app/feature_frame.h"
#include "app/step_worker.h"

class QSplitter;

namespace orvix {

class CChatListView;
class CChatView;

// The chat window: a fixed-size window without close box, 800 × 450, centred, 200 pixels from
// the top, split into the room list (250 wide at first) and the conversation (550). Its two
// input panels float under the panes: placed and shown with the window, hidden with it, and
// placed again whenever the window moves or the panes change width.
class CChatFrame : public FeatureFrame {
    Q_OBJECT
public:
    static constexpr int Width = 800;
    static constexpr int Height = 450;
    static constexpr int PanelGap = 10;
    static constexpr int PanelHeight = 140;

    explicit CChatFrame(QWidget* parent = nullptr);
    // With the sending and polling windows paced by workers of this timing (tests).
    explicit CChatFrame(const StepWorker::Timing& timing, QWidget* parent = nullptr);

    CChatListView* listView() const { return m_list; }
    CChatView* chatView() const { return m_chat; }
    QSplitter* splitter() const { return m_splitter; }

    // Where a panel goes under a pane, in screen coordinates: the pane's left edge, 10 pixels
    // below its bottom edge, as wide as the pane, 140 pixels high.
    static QRect panelRect(const QWidget* pane);
    // Places both panels under their panes.
    void PlacePanels();

protected:
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QSplitter* m_splitter;
    CChatListView* m_list;
    CChatView* m_chat;
};

} // namespace orvix
