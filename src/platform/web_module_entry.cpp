// The entry point of the orvix_web module (see WebModule): the embedded browser on Qt
// WebEngine, drawn with Qt Quick's software scene graph.

#include "platform/web_engine_browser.h"

#include <QQuickWindow>
#include <QSGRendererInterface>

extern "C" Q_DECL_EXPORT orvix::BrowserControl* orvix_create_browser(QWidget* parent) {
    // Before the first view: the engine then composites its pages in software and hands them
    // over as images, with no OpenGL context anywhere in the process.
    static const bool software = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    Q_UNUSED(software);
    return new orvix::WebEngineBrowser(parent);
}
