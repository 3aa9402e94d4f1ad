#pragma once

#include "platform/browser_control.h"

#include <QString>

#include <memory>

class QLibrary;
class QWidget;

namespace orvix {

// The embedded browser, loaded when the first web view opens instead of at start-up.
//
// Qt WebEngine, linked into the program, sets itself up before the first window: a shared
// OpenGL context (a software one under a virtual display) and the engine's libraries, some
// 80 MiB and a third of a second that the login window and the launcher do not need. So the
// browser lives in a module of its own (orvix_web) that the program loads on demand. The
// module draws web views with Qt Quick's software scene graph, so no OpenGL context is ever
// made; Qt WebEngine still asks for a global share context when it loads, and gets an empty one,
// set here before the module is loaded.
//
// Loading is tried once; when the module is missing or broken, makeBrowser() returns nullptr
// from then on (the window shows no page) and errorString() says why.
class WebModule {
public:
    explicit WebModule(QString path = defaultPath());
    ~WebModule();
    WebModule(const WebModule&) = delete;
    WebModule& operator=(const WebModule&) = delete;

    // Where the program finds its module: beside the program, or in ../lib/orvixwin when
    // installed.
    static QString defaultPath();

    // A browser control whose widget is a child of `parent`, or nullptr (see above).
    std::unique_ptr<BrowserControl> makeBrowser(QWidget* parent);

    bool isLoaded() const;
    const QString& errorString() const { return m_error; }

    // The name of the function the module exports: BrowserControl* (QWidget* parent).
    static constexpr char EntryPoint[] = "orvix_create_browser";

private:
    bool load();

    QString m_path;
    std::unique_ptr<QLibrary> m_library;
    BrowserControl* (*m_create)(QWidget*) = nullptr;
    bool m_tried = false;
    QString m_error;
};

} // namespace orvix
