#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

namespace orvix {

// Places a top-level window by its outer frame, caption and border included, as the program's
// window sizes and positions are given: the frame, not the client area, is `outer`.
//
// The frame's margins are known only once the window manager has framed the window. So the
// placement is applied when the window is shown, with the margins last seen around any window
// of the program, and again whenever the window's real margins turn out different, until the
// member (or the window manager) moves or resizes the window: from then on it is theirs.
// Without a window manager the margins are those the platform reports (none, or the offscreen
// platform's own).
class FramePlacement : public QObject {
    Q_OBJECT
public:
    // Gives the window's frame the rectangle `outer`; the client area takes what is inside.
    static void place(QWidget* window, const QRect& outer);
    // Centres the window's frame on `anchor` (the frame of another window, say), keeping the
    // window's client size.
    static void centreOn(QWidget* window, const QRect& anchor);

    // The margins of the last framed window seen (none before the first).
    static QMargins knownMargins();
    // The margins around a window now: the platform's when it is framed, else knownMargins().
    static QMargins marginsOf(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Keep { Outer, ClientSize };
    FramePlacement(QWidget* window, const QRect& target, Keep keep);
    static void install(QWidget* window, const QRect& target, Keep keep);
    void apply();
    QRect outerFor(const QMargins& margins) const;

    QWidget* m_window;
    QRect m_target; // Outer: the frame; ClientSize: the anchor to centre on
    Keep m_keep;
    QSize m_clientSize;
    QMargins m_applied;
    bool m_settled = false;
    bool m_applying = false;
};

} // namespace orvix
