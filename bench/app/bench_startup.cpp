// Start-up time and memory of the program beside a bare Qt dialog, in one run.
//
// The driver starts each kind of process several times, in turn, and reads one line from each:
//   bare         a QApplication showing a QDialog, linked to Qt Widgets alone
//                (bench_bare_dialog);
//   bare-shared  the same with Qt::AA_ShareOpenGLContexts set before the application;
//   program      the program as main() builds it, the browser a module loaded on demand;
//   linked       the program with the browser linked in and the shared context set at start
//                (bench_startup_linked, how the program started before the module).
// A child reports when its first window (the bare dialog, or the login window) has been painted:
// the time since the driver started it, and its resident and proportional memory. The program
// kinds then log in to a reference server (orvix-server --demo --auto-approve) as the demo
// member, report the memory at the launcher once it has settled, open one web view on a page
// of the server, and report the memory again once the page has loaded.
//
// Usage: bench_startup [rounds]   (under a display: Xvfb, say, with QT_QPA_PLATFORM=xcb)

#include "app/configuration.h"
#include "app/login_dlg.h"
#include "app/orvix_win_app.h"
#include "document_templates.h"
#include "platform/browser_control.h"
#include "platform/qt_sound_player.h"
#include "platform/qt_ui_services.h"
#include "platform/system_environment.h"
#ifdef ORVIX_BENCH_LINKED_BROWSER
#include "platform/web_engine_browser.h"
#else
#include "platform/web_module.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

using namespace orvix;

namespace {

// Resident and proportional memory of this process, in KiB.
struct Memory {
    long rss = 0;
    long pss = 0;
};

long fieldKiB(const QByteArray& text, const QByteArray& name) {
    const qsizetype at = text.indexOf("\n" + name);
    if (at < 0)
        return 0;
    return text.mid(at + name.size() + 1).trimmed().split(' ').first().toLong();
}

Memory memoryNow() {
    QFile status(QStringLiteral("/proc/self/status"));
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    Memory memory;
    if (status.open(QIODevice::ReadOnly))
        memory.rss = fieldKiB("\n" + status.readAll(), "VmRSS:");
    if (rollup.open(QIODevice::ReadOnly))
        memory.pss = fieldKiB("\n" + rollup.readAll(), "Pss:");
    return memory;
}

// One line to the driver: "<what> <rss KiB> <pss KiB>".
void report(const char* what) {
    const Memory memory = memoryNow();
    std::printf("%s %ld %ld\n", what, memory.rss, memory.pss);
    std::fflush(stdout);
}

// Calls `then` once, after the first paint of a window that `matches` has been handed to the
// window system.
class FirstPaint : public QObject {
public:
    FirstPaint(std::function<bool(QObject*)> matches, std::function<void(QWidget*)> then)
        : m_matches(std::move(matches))
        , m_then(std::move(then)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && m_matches(watched)) {
            m_done = true;
            auto* window = static_cast<QWidget*>(watched);
            QTimer::singleShot(0, this, [this, window] { m_then(window); });
        }
        return false;
    }

private:
    std::function<bool(QObject*)> m_matches;
    std::function<void(QWidget*)> m_then;
    bool m_done = false;
};

// Reports the memory half a second after the web view's page has loaded, then ends the process.
class PageLoaded : public QObject {
    Q_OBJECT
public slots:
    void finished(bool ok) {
        QTimer::singleShot(500, [ok] {
            report(ok ? "webview" : "webview-failed");
            std::_Exit(ok ? 0 : 1);
        });
    }
};

// The program, built as main() builds it, that logs in as the demo member and opens one web view
// once the launcher is up.
int runProgram(int argc, char* argv[]) {
#ifdef ORVIX_BENCH_LINKED_BROWSER
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvixWin"));
    QApplication::setQuitOnLastWindowClosed(false);
    const Configuration configuration =
        Configuration::fromEnvironment(QProcessEnvironment::systemEnvironment());
    SystemEnvironment environment;
    QtUiServices ui;
    QtSoundPlayer sound;
    COrvixWinApp::Services services;
    services.environment = &environment;
    services.ui = &ui;
    services.sound = &sound;
#ifdef ORVIX_BENCH_LINKED_BROWSER
    services.makeBrowser = [](QWidget* parent) {
        return std::make_unique<WebEngineBrowser>(parent);
    };
#else
    WebModule web(QStringLiteral(ORVIX_WEB_MODULE));
    services.makeBrowser = [&web](QWidget* parent) { return web.makeBrowser(parent); };
#endif
    COrvixWinApp app(services, configuration);
    registerDocumentTemplates(app);

    // The login window: report, then log in as the demo member.
    FirstPaint login(
        [](QObject* o) { return o->inherits("orvix::CLoginDlg"); },
        [](QWidget* window) {
            report("shown");
            auto* dialog = static_cast<TemplateDialog*>(window);
            dialog->control<QLineEdit>(CLoginDlg::IdEdit)->setText(QStringLiteral("demo"));
            dialog->control<QLineEdit>(CLoginDlg::PasswordEdit)
                ->setText(QStringLiteral("demo1234"));
            dialog->control<QPushButton>(1)->click();
        });
    // The launcher: let the member photo and the first paints settle, report, open a web view
    // on the server's home page, report once the page has loaded and settled.
    std::unique_ptr<BrowserControl> browser;
    QWidget host;
    PageLoaded loaded;
    FirstPaint launcher([](QObject* o) { return o->inherits("orvix::CMainFrame"); },
                        [&](QWidget*) {
                            QTimer::singleShot(1500, [&] {
                                report("launcher");
                                host.resize(400, 300);
                                browser = app.createBrowser(&host);
                                if (!browser) {
                                    std::printf("webview failed\n");
                                    std::fflush(stdout);
                                    std::_Exit(1);
                                }
                                browser->widget()->resize(host.size());
                                QObject::connect(browser->widget(), SIGNAL(loadFinished(bool)),
                                                 &loaded, SLOT(finished(bool)));
                                host.show();
                                browser->navigate(QStringLiteral("http://") +
                                                  configuration.webHost + QStringLiteral("/"));
                            });
                        });
    QTimer::singleShot(60000, [] {
        std::printf("timeout\n");
        std::fflush(stdout);
        std::_Exit(1);
    });
    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}

#ifndef ORVIX_BENCH_LINKED_BROWSER

struct Sample {
    double ms = 0;
    std::map<QByteArray, Memory> memory; // by report: shown, launcher, webview
};

// Runs one child and reads its reports.
bool runChild(const QString& program, const QString& mode, const QProcessEnvironment& environment,
              Sample& sample) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, {mode});
    if (!child.waitForStarted(10000))
        return false;
    QByteArray pending;
    while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
        if (!child.canReadLine() && !child.waitForReadyRead(90000) && !child.canReadLine())
            break;
        while (child.canReadLine()) {
            const QList<QByteArray> fields = child.readLine().trimmed().split(' ');
            if (fields.size() != 3)
                continue;
            if (fields[0] == "shown")
                sample.ms = double(clock.nsecsElapsed()) / 1e6;
            sample.memory[fields[0]] = Memory{fields[1].toLong(), fields[2].toLong()};
        }
    }
    child.waitForFinished(10000);
    return sample.ms > 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

int drive(int rounds) {
    QTextStream out(stdout);
    QTemporaryDir home;
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral(ORVIX_SERVER_BINARY),
                 {QStringLiteral("serve"), QStringLiteral("--data"),
                  home.filePath(QStringLiteral("server")), QStringLiteral("--http-port"),
                  QStringLiteral("0"), QStringLiteral("--upload-port"), QStringLiteral("0"),
                  QStringLiteral("--demo"), QStringLiteral("--auto-approve")});
    QByteArray ready;
    while (server.waitForReadyRead(20000)) {
        ready += server.readAll();
        if (ready.contains("ready") && ready.endsWith('\n'))
            break;
    }
    const QRegularExpression ports(QStringLiteral("http [^ ,]*:(\\d+).*upload [^ ,]*:(\\d+)"));
    const auto match = ports.match(QString::fromUtf8(ready));
    if (!match.hasMatch()) {
        out << "orvix-server did not start: " << ready << '\n';
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("ORVIX_SERVER"),
                       QStringLiteral("127.0.0.1:") + match.captured(1));
    environment.insert(QStringLiteral("ORVIX_WEB_HOST"),
                       QStringLiteral("127.0.0.1:") + match.captured(1));
    environment.insert(QStringLiteral("ORVIX_UPLOAD_PORT"), match.captured(2));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));

    struct Kind {
        const char* name;
        QString program;
        QString mode;
        std::vector<Sample> samples;
    };
    const QString self = QCoreApplication::applicationFilePath();
    const QString bareDialog = QStringLiteral(ORVIX_BARE_BINARY);
    std::vector<Kind> kinds{{"bare dialog", bareDialog, QStringLiteral("plain"), {}},
                            {"bare dialog + shared GL", bareDialog, QStringLiteral("shared"), {}},
                            {"program, browser module", self, QStringLiteral("program"), {}},
                            {"program, browser linked",
                             QStringLiteral(ORVIX_LINKED_BINARY),
                             QStringLiteral("program"),
                             {}}};
    for (int round = 0; round < rounds; ++round) {
        for (Kind& kind : kinds) {
            Sample sample;
            if (!runChild(kind.program, kind.mode, environment, sample)) {
                out << kind.name << ": the child reported nothing\n";
                return 1;
            }
            kind.samples.push_back(sample);
        }
    }
    server.terminate();
    server.waitForFinished(10000);

    const auto memoryMedian = [](const std::vector<Sample>& samples, const QByteArray& report,
                                 long Memory::*field) {
        std::vector<double> values;
        for (const Sample& sample : samples) {
            const auto it = sample.memory.find(report);
            if (it != sample.memory.end())
                values.push_back(double(it->second.*field) / 1024.0);
        }
        return median(values);
    };
    out << "medians of " << rounds << " rounds (time from start to the first window painted)\n";
    out << qSetFieldWidth(26) << Qt::left << "kind" << qSetFieldWidth(0)
        << "  window ms  RSS/PSS MiB at window  at launcher   with a web view\n";
    const double bare = median([&] {
        std::vector<double> v;
        for (const Sample& s : kinds[0].samples)
            v.push_back(s.ms);
        return v;
    }());
    for (const Kind& kind : kinds) {
        std::vector<double> times;
        for (const Sample& s : kind.samples)
            times.push_back(s.ms);
        const double ms = median(times);
        out << qSetFieldWidth(26) << Qt::left << kind.name << qSetFieldWidth(0) << Qt::right
            << QString::asprintf("  %6.0f (%.2f×)  %5.1f / %5.1f", ms, ms / bare,
                                 memoryMedian(kind.samples, "shown", &Memory::rss),
                                 memoryMedian(kind.samples, "shown", &Memory::pss));
        if (kind.mode == QLatin1String("program"))
            out << QString::asprintf("     %5.1f / %5.1f   %5.1f / %5.1f",
                                     memoryMedian(kind.samples, "launcher", &Memory::rss),
                                     memoryMedian(kind.samples, "launcher", &Memory::pss),
                                     memoryMedian(kind.samples, "webview", &Memory::rss),
                                     memoryMedian(kind.samples, "webview", &Memory::pss));
        out << '\n';
    }
    return 0;
}

#endif

} // namespace

int main(int argc, char* argv[]) {
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "program")
        return runProgram(argc, argv);
#ifndef ORVIX_BENCH_LINKED_BROWSER
    QCoreApplication application(argc, argv);
    return drive(std::max(1, mode.toInt() > 0 ? mode.toInt() : 5));
#else
    std::fprintf(stderr, "usage: bench_startup_linked program (run by bench_startup)\n");
    return 2;
#endif
}

#include "bench_startup.moc"
