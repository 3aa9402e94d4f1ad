#include "editor/image_frame.h"

#include "editor/image_view.h"
#include "imaging/dib_picture.h"

#include <QGuiApplication>
#include <QScreen>

namespace orvix {

CImageFrame::CImageFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ImageFrame, Caption::WithSystemMenu,
                   QStringLiteral("사진보기"), QRect(centredLeft(400), 200, 400, 300), parent)
    , m_view(new CImageView(this)) {
    setCentralWidget(m_view);
}

QSize CImageFrame::sizeFor(int storedWidth, int height) {
    return {std::min(storedWidth + 30, 800), std::min(height + 30, 600)};
}

bool CImageFrame::ShowPhoto(const QString& path) {
    if (!m_view->LoadPhoto(path))
        return false;
    const CDibPicture& picture = *m_view->picture();
    const QSize size = sizeFor(picture.storedWidth(), picture.height());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 0, 0);
    placeAt(area.x() + (area.width() - size.width()) / 2,
            area.y() + (area.height() - size.height()) / 2, size.width(), size.height());
    show();
    raise();
    return true;
}

} // namespace orvix
