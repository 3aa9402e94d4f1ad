#include "app/main_frame.h"

#include "app/orvix_win_app.h"
#include "app/orvix_win_view.h"
#include "app/ui_text.h"
#include "net/failure_notice.h"
#include "net/orvi_http.h"
#include "net/reply_notice.h"
#include "platform/frame_placement.h"
#include "platform/frame_window.h"
#include "platform/resources.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMetaMethod>

namespace orvix {

namespace {

using Window = COrvixWinApp::Window;

} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent)
    , m_view(new COrvixWinView(this)) {
    // Caption, system menu, sizing border and minimise box; no maximise box, no menu bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(uiText(UiRow::Product, StoreTextColumn));
    setWindowIcon(res::icon(res::ProgramIcon));
    setCentralWidget(m_view);
    // The frame, caption and border included, is 500 × 170.
    FramePlacement::place(
        this, QRect(initialPosition(FrameWindow::workAreaWidth()), QSize(Width, Height)));
    connect(m_view, &COrvixWinView::exitRequested, this, &CMainFrame::OnExitRequested);
    COrvixWinApp::current().registerWindow(Window::Main, this);
    m_view->OnInitialUpdate();
}

CMainFrame::~CMainFrame() = default;

QPoint CMainFrame::initialPosition(int workAreaWidth) {
    return QPoint((workAreaWidth - Width) / 2, Top);
}

void CMainFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool minimised = windowState() & Qt::WindowMinimized;
        const bool wasMinimised = change->oldState() & Qt::WindowMinimized;
        // Restoring does not bring the feature windows back; the launcher does.
        if (minimised && !wasMinimised) {
            COrvixWinApp& application = COrvixWinApp::current();
            if (QWidget* postList = application.window(Window::PostListFrame))
                postList->hide();
            if (QWidget* post = application.window(Window::PostFrame))
                post->hide();
            application.ShowChatWindows(false);
        }
    }
    QMainWindow::changeEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_ended) {
        event->accept();
        return;
    }
    // The window stays until the server has answered; each Close asks again.
    SendEndOfSession();
    event->ignore();
}

void CMainFrame::SendEndOfSession() {
    const COrvixWinApp& application = COrvixWinApp::current();
    ++m_requestsSent;
    COrviHttp* request = application.sendRequest(
        QByteArrayLiteral("/android/closeusepc.php"),
        QStringLiteral("deviceid=%1").arg(application.session().deviceId), this);
    // A server that is gone must not keep the member from closing the program.
    request->setTimeout(m_timeout);
}

int CMainFrame::onMessage(int message, WParam wParam, LParam lParam) {
    // Any reply ends the session, whatever its text; so does a request that cannot be answered
    // (the server is gone, silent for 5 s, or garbled): the program ends all the same. A second
    // answer (after a repeated Close) finds the session ended.
    if (!ReplyNotice::from(message, wParam, lParam) &&
        !FailureNotice::from(message, wParam, lParam))
        return 0;
    if (!m_ended)
        EndSession();
    return 1;
}

void CMainFrame::EndSession() {
    m_ended = true;
    close();
    if (isSignalConnected(QMetaMethod::fromSignal(&CMainFrame::sessionEnded)))
        emit sessionEnded();
    else
        QCoreApplication::quit();
}

void CMainFrame::OnExitRequested(int code) {
    if (isSignalConnected(QMetaMethod::fromSignal(&CMainFrame::exitRequested))) {
        emit exitRequested(code);
        return;
    }
    COrvixWinApp::current().EndProcess(code);
}

} // namespace orvix
