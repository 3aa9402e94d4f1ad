#pragma once

#include "app/configuration.h"
#include "app/local_text.h"
#include "app/orvix_win_app.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/recording_browser.h"
#include "platform/doubles/scripted_ui_services.h"

#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

namespace orvix::test {

// The application object on test doubles, with a session as a login leaves it (device id
// "dev-42", equal version codes, the work folder a temporary folder). Feature tests build their
// windows on it (link orvix_shell_fixture, include "support/shell_fixture.h"):
//
//     Configuration configuration;
//     configuration.serverAddress = peer.address();  // where requests go; set fields, never the
//     ShellFixture f(Country::Korea, configuration); // process environment
//     f.session().memberNumber = u"12"_qs;           // what the feature reads
//     f.ui.answerModal(...);                         // scripted message boxes and modal runs
//     FeatureWindows windows(*f.app);                // stand-ins for other features' windows
//     ActionRecorder actions;                        // actions other features provide
//     actions.provide(*f.app, COrvixWinApp::Action::RequestPostList);
//     ... f.browsers.back()->actions() ...           // what the feature's browser was told
struct ShellFixture {
    QTemporaryDir dir;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    // Every browser control the application made, in order; each lives as long as its host.
    std::vector<RecordingBrowser*> browsers;
    std::unique_ptr<COrvixWinApp> app;

    explicit ShellFixture(int country = Country::Korea, Configuration configuration = {});
    SessionRecord& session() { return app->session(); }
};

// Stand-ins for the chat, post list and post view windows, registered as the real ones register
// themselves; the chat view (inside the chat window) only when the chat feature is there.
struct FeatureWindows {
    QWidget chatFrame, postListFrame, postFrame;
    QWidget* chatView = new QWidget(&chatFrame);

    explicit FeatureWindows(COrvixWinApp& app, bool withChatView = true);
};

// Provides actions as a feature would and records each run with its argument.
struct ActionRecorder {
    std::map<COrvixWinApp::Action, std::vector<QVariant>> runs;

    void provide(COrvixWinApp& app, COrvixWinApp::Action action);
    int count(COrvixWinApp::Action action) const;
};

} // namespace orvix::test
