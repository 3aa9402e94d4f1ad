#include "platform/web_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>

// Qt's own hooks for the context that OpenGL users of the process share; Qt WebEngine reads it
// when it loads. Exported by Qt GUI, declared in its private headers.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();

namespace orvix {

namespace {

// Gives Qt WebEngine the global share context it looks for. The context is never created:
// with the software scene graph nothing draws through OpenGL, and the engine only reads the
// context's format. It stays for the life of the process, as the engine keeps using it.
void provideShareContext() {
    if (qt_gl_global_share_context())
        return;
    static QOpenGLContext* const context = new QOpenGLContext;
    qt_gl_set_global_share_context(context);
}

} // namespace

WebModule::WebModule(QString path)
    : m_path(std::move(path)) {}

// The module stays loaded: web views may live until the very end of the process.
WebModule::~WebModule() = default;

QString WebModule::defaultPath() {
    const QString program = QCoreApplication::applicationDirPath();
    const QString beside = program + QStringLiteral("/liborvix_web.so");
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(program + QStringLiteral("/../lib/orvixwin/liborvix_web.so"));
}

bool WebModule::isLoaded() const {
    return m_create != nullptr;
}

bool WebModule::load() {
    if (m_tried)
        return isLoaded();
    m_tried = true;
    provideShareContext();
    m_library = std::make_unique<QLibrary>(m_path);
    if (!m_library->load()) {
        m_error = m_library->errorString();
        return false;
    }
    m_create = reinterpret_cast<BrowserControl* (*)(QWidget*)>(m_library->resolve(EntryPoint));
    if (!m_create) {
        m_error = m_library->errorString();
        return false;
    }
    return true;
}

std::unique_ptr<BrowserControl> WebModule::makeBrowser(QWidget* parent) {
    if (!load()) {
        qWarning("The web browser is not available: %s", qPrintable(m_error));
        return nullptr;
    }
    return std::unique_ptr<BrowserControl>(m_create(parent));
}

} // namespace orvix
