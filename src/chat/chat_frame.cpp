#include "chat/chat_frame.h"

#include "chat/chat_list_view.h"
#include "chat/chat_tool_dlg.h"
#include "chat/chat_view.h"
#include "chat/list_tool_dlg.h"

#include <QSplitter>
#include <QWindow>

namespace orvix {

CChatFrame::CChatFrame(QWidget* parent)
    : CChatFrame(StepWorker::Timing{}, parent) {}

CChatFrame::CChatFrame(const StepWorker::Timing& timing, QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ChatFrame, Caption::WithoutSystemMenu, QString(),
                   QRect(centredLeft(Width), 200, Width, Height), parent)
    , m_splitter(new QSplitter(Qt::Horizontal, this))
    , m_list(new CChatListView(m_splitter))
    , m_chat(new CChatView(m_splitter)) {
    setFixedSize(Width, Height);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setSizes({250, 550});
    setCentralWidget(m_splitter);
    m_chat->OnInitialUpdate();
    m_list->OnInitialUpdate(m_chat, timing);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { PlacePanels(); });
}

QRect CChatFrame::panelRect(const QWidget* pane) {
    const QPoint topLeft = pane->mapToGlobal(QPoint(0, 0));
    return QRect(topLeft.x(), topLeft.y() + pane->height() + PanelGap, pane->width(), PanelHeight);
}

void CChatFrame::PlacePanels() {
    if (!m_chat || !m_list)
        return;
    if (QWidget* panel = m_chat->panel())
        panel->setGeometry(panelRect(m_chat));
    if (QWidget* panel = m_list->panel())
        panel->setGeometry(panelRect(m_list));
}

void CChatFrame::moveEvent(QMoveEvent* event) {
    PlacePanels();
    FeatureFrame::moveEvent(event);
}

void CChatFrame::showEvent(QShowEvent* event) {
    FeatureFrame::showEvent(event);
    PlacePanels();
    for (QWidget* panel :
         {static_cast<QWidget*>(m_chat->panel()), static_cast<QWidget*>(m_list->panel())}) {
        if (!panel)
            continue;
        // The panels stay above the chat window, as windows it owns.
        panel->winId();
        if (QWindow* handle = panel->windowHandle())
            handle->setTransientParent(windowHandle());
        panel->show();
    }
}

void CChatFrame::hideEvent(QHideEvent* event) {
    for (QWidget* panel :
         {static_cast<QWidget*>(m_chat->panel()), static_cast<QWidget*>(m_list->panel())}) {
        if (panel)
            panel->hide();
    }
    FeatureFrame::hideEvent(event);
}

} // namespace orvix
