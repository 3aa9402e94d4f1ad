#include "support/shell_fixture.h"

namespace orvix::test {

ShellFixture::ShellFixture(int country, Configuration configuration) {
    environment.documents = dir.path();
    COrvixWinApp::Services services{&environment, &ui, &sound, {}};
    services.makeBrowser = [this](QWidget* parent) {
        auto browser = std::make_unique<RecordingBrowser>(parent);
        browsers.push_back(browser.get());
        return browser;
    };
    app = std::make_unique<COrvixWinApp>(services, std::move(configuration));
    SessionRecord& s = app->session();
    s.country = country;
    s.workFolder = dir.path();
    s.fontTable = {QStringLiteral("돋움체"), QStringLiteral("돋움체"), QStringLiteral("MS Gothic")};
    s.deviceId = QStringLiteral("dev-42");
    s.latestVersionCode = SessionRecord::clientVersionCode;
    s.latestVersionName = QStringLiteral("0.6.1");
    s.minimumVersionCode = QStringLiteral("7");
}

FeatureWindows::FeatureWindows(COrvixWinApp& app, bool withChatView) {
    app.registerWindow(COrvixWinApp::Window::ChatFrame, &chatFrame);
    if (withChatView)
        app.registerWindow(COrvixWinApp::Window::ChatView, chatView);
    app.registerWindow(COrvixWinApp::Window::PostListFrame, &postListFrame);
    app.registerWindow(COrvixWinApp::Window::PostFrame, &postFrame);
}

void ActionRecorder::provide(COrvixWinApp& app, COrvixWinApp::Action action) {
    app.setAction(action,
                  [this, action](const QVariant& argument) { runs[action].push_back(argument); });
}

int ActionRecorder::count(COrvixWinApp::Action action) const {
    const auto it = runs.find(action);
    return it == runs.end() ? 0 : static_cast<int>(it->second.size());
}

} // namespace orvix::test
