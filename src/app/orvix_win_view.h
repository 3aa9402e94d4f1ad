#pragma once

#include "app/launcher_button.h"
#include "platform/message_target.h"

#include <QWidget>

#include <vector>

class QAction;

namespace orvix {

// The launcher: a strip of five picture buttons (Chatting, Square, Story, Information, Add
// store) that show and hide the feature windows. A button shows its pressed picture while the
// mouse is down on it; releasing the mouse sends the command of the button under the pointer
// to this view (message 8000) and redraws the strip.
class COrvixWinView : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    // Numbers of the buttons, sent with the launcher command.
    enum Command { Chatting = 1, Square = 2, Story = 3, Information = 4, AddStore = 5 };

    explicit COrvixWinView(QWidget* parent = nullptr);
    ~COrvixWinView() override;

    // Creates the buttons, redraws, then tells the member when the server announces another
    // version (the upgrade dialog, run modally).
    void OnInitialUpdate();

    const std::vector<CLauncherButton>& buttons() const { return m_buttons; }
    // The number of the button at a point of the client area, or 0 when none is there.
    int buttonAt(const QPoint& point) const;
    // The number of the button drawn pressed, or 0.
    int pressedButton() const { return m_pressed; }

    // The context menu's entry that opens the About dialog.
    QAction* aboutAction() const { return m_aboutAction; }

    // Handles the launcher command; other messages are ignored (result 0).
    int onMessage(int message, WParam wParam, LParam lParam) override;
    // Runs the command of a button; 1 for the numbers 1 to 5, 0 for any other.
    int OnLauncherCommand(int number);

signals:
    // The upgrade dialog asked to end the program with this exit code (after it closed).
    void exitRequested(int code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateButtons();
    void CheckVersion();
    void ToggleChatting();
    void ToggleSquare();

    std::vector<CLauncherButton> m_buttons;
    qreal m_pictureRatio = 1.0; // the device pixel ratio the pictures were drawn for
    int m_pressed = 0;
    QAction* m_aboutAction;
};

} // namespace orvix
