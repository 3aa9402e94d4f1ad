#pragma once

#include "board/post_list_model.h"
#include "board/post_photo_prefetch.h"
#include "board/post_row_painter.h"
#include "platform/message_target.h"

#include <QAbstractScrollArea>

namespace orvix {

// The post list: rows of posts, each with its photo, title, owner and counts, in a scrolling
// document 600 pixels wide and 100 × N high. The launcher asks it for a fresh list each time it
// shows it (RequestPostList); the reply replaces the rows. A double click strictly inside a
// row opens that post in the post view and shows the post view window.
//
// Painting draws only the rows that the visible part of the document touches.
class COrvixListView : public QAbstractScrollArea, public MessageTarget {
    Q_OBJECT
public:
    static inline const QByteArray kListScript = QByteArrayLiteral("/android/pcorvixlist.php");

    explicit COrvixListView(QWidget* parent = nullptr);
    ~COrvixListView() override;

    // Registers the view with the application object (and the list request as the launcher's
    // action) and starts with scroll sizes of 100 × 100.
    void OnInitialUpdate();

    // Sends the list request; its reply goes to the owner (this view when none is given).
    void RequestPostList(QObject* owner = nullptr);

    // The reply to the list request (Msg::Reply): 1 when taken, 0 when not.
    int onMessage(int message, WParam wParam, LParam lParam) override;
    int OnReply(const QString& text);

    const PostListModel& model() const { return m_model; }
    QSize scrollSize() const { return m_scrollSize; }
    // The rows the last paint drew: [first, end).
    std::pair<int, int> lastPaintedRows() const { return m_painted; }

    // Decodes the photos of the rows not shown yet, on a thread of its own.
    PostPhotoPrefetch& prefetch() { return m_prefetch; }

    // Opens the post under a point of the viewport; false when there is none.
    bool OpenPostAt(const QPoint& viewportPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void SetScrollSizes(const QSize& size);
    void updateScrollBars();

    PostListModel m_model;
    PostPhotoPrefetch m_prefetch;
    PostRowPainter::Labels m_labels;
    QSize m_scrollSize{100, 100};
    std::pair<int, int> m_painted{0, 0};
};

} // namespace orvix
