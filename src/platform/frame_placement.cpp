#include "platform/frame_placement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace orvix {

namespace {

QMargins g_knownMargins;

} // namespace

FramePlacement::FramePlacement(QWidget* window, const QRect& target, Keep keep)
    : QObject(window)
    , m_window(window)
    , m_target(target)
    , m_keep(keep)
    , m_clientSize(window->size()) {
    setObjectName(QStringLiteral("framePlacement"));
}

void FramePlacement::install(QWidget* window, const QRect& target, Keep keep) {
    // One placement per window: a new one replaces the old.
    delete window->findChild<FramePlacement*>(QStringLiteral("framePlacement"),
                                              Qt::FindDirectChildrenOnly);
    auto* placement = new FramePlacement(window, target, keep);
    window->installEventFilter(placement);
    placement->apply();
}

void FramePlacement::place(QWidget* window, const QRect& outer) {
    install(window, outer, Keep::Outer);
}

void FramePlacement::centreOn(QWidget* window, const QRect& anchor) {
    install(window, anchor, Keep::ClientSize);
}

QMargins FramePlacement::knownMargins() {
    return g_knownMargins;
}

QMargins FramePlacement::marginsOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    if (handle && window->isVisible()) {
        const QMargins margins = handle->frameMargins();
        if (!margins.isNull())
            g_knownMargins = margins;
        return margins;
    }
    return g_knownMargins;
}

QRect FramePlacement::outerFor(const QMargins& margins) const {
    if (m_keep == Keep::Outer)
        return m_target;
    const QSize outer(m_clientSize.width() + margins.left() + margins.right(),
                      m_clientSize.height() + margins.top() + margins.bottom());
    return QRect(m_target.left() + (m_target.width() - outer.width()) / 2,
                 m_target.top() + (m_target.height() - outer.height()) / 2, outer.width(),
                 outer.height());
}

void FramePlacement::apply() {
    const QMargins margins = marginsOf(m_window);
    const QRect outer = outerFor(margins);
    m_applying = true;
    // A window's position is that of its frame; its size is that of its client area. A window
    // of fixed size keeps a fixed size: the one its frame leaves inside.
    const QSize inside(outer.width() - margins.left() - margins.right(),
                       outer.height() - margins.top() - margins.bottom());
    if (m_window->minimumSize() == m_window->maximumSize())
        m_window->setFixedSize(inside);
    m_window->resize(inside);
    m_window->move(outer.topLeft());
    m_applying = false;
    m_applied = margins;
}

bool FramePlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || m_settled || m_applying)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        apply();
        break;
    case QEvent::Move:
    case QEvent::Resize: {
        if (!m_window->isVisible())
            break;
        const QMargins margins = marginsOf(m_window);
        if (margins != m_applied) {
            apply(); // the window manager has framed the window: the frame keeps its place
            break;
        }
        const QRect outer = outerFor(margins);
        if (m_window->frameGeometry() != outer)
            m_settled = true; // moved or resized by the member: theirs from now on
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace orvix
