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

// The application object with doubles, a session as a login leaves it and, on request, stand-ins
// for the feature windows the launcher shows and hides.
struct ShellFixture {
    QTemporaryDir dir;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::unique_ptr<COrvixWinApp> app;

    explicit ShellFixture(int country = Country::Korea) {
        environment.documents = dir.path();
        app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}});
        SessionRecord& session = app->session();
        session.country = country;
        session.workFolder = dir.path();
        session.fontTable = {QStringLiteral("돋움체"), QStringLiteral("돋움체"),
                             QStringLiteral("MS Gothic")};
        session.deviceId = QStringLiteral("dev-42");
        session.latestVersionCode = SessionRecord::clientVersionCode;
        session.latestVersionName = QStringLiteral("0.6.1");
        session.minimumVersionCode = QStringLiteral("7");
    }
    SessionRecord& session() { return app->session(); }
};

// Top-level stand-ins for the chat, post list and post view windows, registered as the real
// ones register themselves. The chat view lives inside the chat window.
struct FeatureWindows {
    QWidget chatFrame;
    QWidget* chatView = new QWidget(&chatFrame);
    QWidget postListFrame;
    QWidget postFrame;

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
    int count(COrvixWinApp::Action action) const {
        auto it = runs.find(action);
        return it == runs.end() ? 0 : it->second;
    }
};

} // namespace orvix::test
