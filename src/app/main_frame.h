#pragma once

#include "platform/message_target.h"

#include <QMainWindow>

#include <chrono>

namespace orvix {

class COrvixWinView;

// The main window: a small frame around the launcher. Minimising it hides the feature windows;
// closing it first ends the member's PC session on the server and closes for good when the
// server has answered, or when it cannot: the request failed or brought no reply within 5 s.
// The program ends either way.
class CMainFrame : public QMainWindow, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int Width = 500;
    static constexpr int Height = 170;
    static constexpr int Top = 20;
    // How long Close waits for the server to confirm the end of the session.
    static constexpr std::chrono::milliseconds EndOfSessionTimeout{5000};

    // Creates the launcher and completes its initial update (buttons, then the version check),
    // and registers the window with the application object.
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    COrvixWinView* view() const { return m_view; }

    // Where the window opens on a work area of the given width: centred, at the top.
    static QPoint initialPosition(int workAreaWidth);

    // Whether the end-of-session reply has arrived and the window closed for good.
    bool sessionHasEnded() const { return m_ended; }
    // End-of-session requests sent so far.
    int endOfSessionRequests() const { return m_requestsSent; }
    // For tests: a shorter wait than EndOfSessionTimeout.
    void setEndOfSessionTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // The reply to the end-of-session request, or its failure, closes the window for good.
    int onMessage(int message, WParam wParam, LParam lParam) override;

signals:
    // The server answered the end-of-session request and the window has closed: the program
    // ends. When nothing is connected the application's event loop is told to quit.
    void sessionEnded();
    // The member accepted the upgrade: the program ends with this exit code. When nothing is
    // connected (as during construction, when the version check first runs) the process ends
    // here.
    void exitRequested(int code);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SendEndOfSession();
    void EndSession();
    void OnExitRequested(int code);

    COrvixWinView* m_view;
    std::chrono::milliseconds m_timeout = EndOfSessionTimeout;
    bool m_ended = false;
    int m_requestsSent = 0;
};

} // namespace orvix
