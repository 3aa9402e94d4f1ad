#include "app/configuration.h"
#include "app/orvix_win_app.h"
#include "document_templates.h"
#include "platform/qt_sound_player.h"
#include "platform/qt_ui_services.h"
#include "platform/system_environment.h"
#include "platform/web_module.h"

#include <QApplication>
#include <QProcessEnvironment>

int main(int argc, char* argv[]) {
    // No graphics context is shared or made at start: the embedded browser is loaded, with its
    // own graphics set-up, when the first web view opens (see WebModule).
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvixWin"));
    // The program ends when its main window closes after the end of the session, not when the
    // last visible window closes (the login dialog is one).
    QApplication::setQuitOnLastWindowClosed(false);

    // The environment is read here, once; everything else gets the values from the application
    // object.
    const orvix::Configuration configuration =
        orvix::Configuration::fromEnvironment(QProcessEnvironment::systemEnvironment());

    orvix::SystemEnvironment environment;
    orvix::QtUiServices ui;
    orvix::QtSoundPlayer sound;
    orvix::COrvixWinApp::Services services;
    services.environment = &environment;
    services.ui = &ui;
    services.sound = &sound;
    orvix::WebModule web;
    services.makeBrowser = [&web](QWidget* parent) { return web.makeBrowser(parent); };

    orvix::COrvixWinApp app(services, configuration);
    orvix::registerDocumentTemplates(app);
    if (!app.InitInstance(QApplication::arguments()))
        return app.exitCode();
    return QApplication::exec();
}
