#pragma once

#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"

#include <QTemporaryDir>
#include <QWidget>

#include <map>
#include <memory>

namespace orvix::test {

// The application object with doubles and a session as a login leaves it.
struct ShellFixture {
    QTemporaryDir dir;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::unique_ptr<COrvixWinApp> app;

    explicit ShellFixture(int country = Country::Korea) {
        environment.documents = dir.path();
        app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}});
        SessionRecord& s = app->session();
        s.country = country;
        s.workFolder = dir.path();
        s.fontTable = {QStringLiteral("돋움체"), QStringLiteral("돋움체"),
                       QStringLiteral("MS Gothic")};
        s.deviceId = QStringLiteral("dev-42");
        s.latestVersionCode = SessionRecord::clientVersionCode;
        s.latestVersionName = QStringLiteral("0.6.1");
        s.minimumVersionCode = QStringLiteral("7");
    }
    SessionRecord& session() { return app->session(); }
};

// Stand-ins for the chat, post list and post view windows, registered as the real ones register
// themselves; the chat view (inside the chat window) only when the chat feature is there.
struct FeatureWindows {
    QWidget chatFrame, postListFrame, postFrame;
    QWidget* chatView = new QWidget(&chatFrame);

    explicit FeatureWindows(COrvixWinApp& app, bool withChatView = true) {
        app.registerWindow(COrvixWinApp::Window::ChatFrame, &chatFrame);
        if (withChatView)
            app.registerWindow(COrvixWinApp::Window::ChatView, chatView);
        app.registerWindow(COrvixWinApp::Window::PostListFrame, &postListFrame);
        app.registerWindow(COrvixWinApp::Window::PostFrame, &postFrame);
    }
};

// Counts how often each launcher action ran.
struct ActionCounter {
    std::map<COrvixWinApp::Action, int> runs;
    void provide(COrvixWinApp& app, COrvixWinApp::Action action) {
        app.setAction(action, [this, action] { ++runs[action]; });
    }
};

} // namespace orvix::test
