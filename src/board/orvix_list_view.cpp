#include "board/orvix_list_view.h"

#include "app/orvix_win_app.h"
#include "board/orvix_area_view.h"
#include "net/reply_notice.h"
#include "net/url_download.h"
#include "platform/resources.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace orvix {

namespace {

using Window = COrvixWinApp::Window;

PostPhotoFiles photoFiles() {
    return PostPhotoFiles(
        COrvixWinApp::current().session().workFolder,
        [](const QString& address, const QString& path) { return DownloadUrl(address, path); });
}

} // namespace

COrvixListView::COrvixListView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_model(photoFiles(), res::bitmap(res::DefaultPostPicture), res::bitmap(res::NewBadge))
    , m_labels(PostRowPainter::Labels::forCountry(COrvixWinApp::current().session().country)) {
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    connect(&m_prefetch, &PostPhotoPrefetch::decoded, this,
            [this](int generation, int row, const QImage& photo, int width, int height) {
                if (!m_model.takeDecoded(generation, row, photo, width, height))
                    return;
                const int top = PostListModel::rowTop(row) - verticalScrollBar()->value();
                viewport()->update(QRect(0, top, viewport()->width(), PostListModel::RowHeight));
            });
}

COrvixListView::~COrvixListView() = default;

void COrvixListView::OnInitialUpdate() {
    COrvixWinApp& app = COrvixWinApp::current();
    app.registerWindow(Window::PostListView, this);
    app.setAction(COrvixWinApp::Action::RequestPostList,
                  [this](const QVariant&) { RequestPostList(); });
    SetScrollSizes(QSize(100, 100));
}

void COrvixListView::RequestPostList(QObject* owner) {
    COrvixWinApp& app = COrvixWinApp::current();
    const SessionRecord& session = app.session();
    app.sendRequest(kListScript,
                    QStringLiteral("deviceid=%1&id=%2").arg(session.deviceId, session.memberId),
                    owner ? owner : this);
}

int COrvixListView::onMessage(int message, WParam wParam, LParam lParam) {
    const auto reply = ReplyNotice::from(message, wParam, lParam);
    return reply ? OnReply(reply->text()) : 0;
}

int COrvixListView::OnReply(const QString& text) {
    if (!m_model.takeReply(text))
        return 0;
    SetScrollSizes(QSize(PostListModel::DocumentWidth, m_model.scrollHeight()));
    viewport()->update();
    QList<PostPhotoPrefetch::Job> jobs;
    const auto& rows = std::as_const(m_model).rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].photoLoaded)
            jobs.append({int(i), rows[i].photoPath});
    }
    m_prefetch.start(m_model.generation(), std::move(jobs));
    return 1;
}

void COrvixListView::SetScrollSizes(const QSize& size) {
    m_scrollSize = size;
    updateScrollBars();
}

void COrvixListView::updateScrollBars() {
    // A page is a tenth of the document, a line a tenth of a page.
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, m_scrollSize.width() - view.width()));
    verticalScrollBar()->setRange(0, qMax(0, m_scrollSize.height() - view.height()));
    const int pageX = qMax(1, m_scrollSize.width() / 10);
    const int pageY = qMax(1, m_scrollSize.height() / 10);
    horizontalScrollBar()->setPageStep(pageX);
    verticalScrollBar()->setPageStep(pageY);
    horizontalScrollBar()->setSingleStep(qMax(1, pageX / 10));
    verticalScrollBar()->setSingleStep(qMax(1, pageY / 10));
}

void COrvixListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void COrvixListView::scrollContentsBy(int, int) {
    viewport()->update();
}

void COrvixListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int left = horizontalScrollBar()->value();
    const int top = verticalScrollBar()->value();
    painter.translate(-left, -top);
    const QRect dirty = event->rect().translated(left, top);
    m_painted = m_model.rowsIn(dirty.top(), dirty.bottom() + 1);
    m_model.loadPhotos(m_painted.first, m_painted.second);
    const auto& rows = std::as_const(m_model).rows();
    for (int i = m_painted.first; i < m_painted.second; ++i)
        PostRowPainter::draw(painter, rows[std::size_t(i)], PostListModel::rowTop(i), m_labels);
}

bool COrvixListView::OpenPostAt(const QPoint& viewportPoint) {
    if (m_model.rows().empty())
        return false;
    const int row = m_model.rowAt(verticalScrollBar()->value() + viewportPoint.y());
    if (row < 0)
        return false;
    const QString mailIndex = std::as_const(m_model).rows()[std::size_t(row)].mailIndex;
    COrvixWinApp& app = COrvixWinApp::current();
    if (auto* view = app.window<COrvixAreaView>(Window::PostView))
        view->OpenPost(mailIndex);
    if (QWidget* frame = app.window(Window::PostFrame))
        frame->show();
    return true;
}

void COrvixListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OpenPostAt(event->position().toPoint());
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

} // namespace orvix
