#include "editor/image_view.h"

#include "app/orvix_win_app.h"
#include "imaging/dib_picture.h"

#include <QPainter>
#include <QScrollBar>

namespace orvix {

CImageView::CImageView(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    updateScrollBars();
    COrvixWinApp::current().registerWindow(COrvixWinApp::Window::ImageView, this);
}

CImageView::~CImageView() = default;

bool CImageView::LoadPhoto(const QString& path) {
    auto picture = std::make_unique<CDibPicture>();
    if (!picture->Load(path))
        return false;
    m_extent = QSize(picture->storedWidth(), picture->height());
    m_picture = std::move(picture);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    return true;
}

void CImageView::updateScrollBars() {
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_extent.width() - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setRange(0, std::max(0, m_extent.height() - area.height()));
    verticalScrollBar()->setPageStep(area.height());
}

void CImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CImageView::paintEvent(QPaintEvent*) {
    if (!m_picture)
        return;
    QPainter painter(viewport());
    // Unscaled: the picture's stored columns and rows as they are.
    m_picture->Draw(painter, -horizontalScrollBar()->value(), -verticalScrollBar()->value(),
                    m_picture->storedWidth(), m_picture->height());
}

} // namespace orvix
