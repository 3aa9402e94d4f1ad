#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace orvix {

class BrowserControl;

// The embedded web browser of a feature's window. It fills itself with the browser control that
// the application object's services make (the real browser in the program, a recording one in
// tests) and drives it. Every window that shows a web page uses it; no feature builds its own.
//
// The browser control is made when it is first needed: when the explorer is first shown, given
// an address or asked for its browser. So windows made at start and kept hidden cost nothing of
// the browser until they are used.
//
// In a dialog built from a template, fill the template's Browser control:
//     m_explorer = CExplorer::fill(this, 1018);
//     m_explorer->Navigate(QStringLiteral("http://%1/android/pcdocument.php?...").arg(...));
// In a frame, use it as a widget:
//     setCentralWidget(m_explorer = new CExplorer(this));
class CExplorer : public QWidget {
    Q_OBJECT
public:
    explicit CExplorer(QWidget* parent = nullptr);
    ~CExplorer() override;

    // Fills the Browser control `controlId` of a window built from a template with a new
    // explorer; nullptr when the window has no control of that id.
    static CExplorer* fill(QWidget* window, int controlId);

    // Navigates to an address: an http address, or a local file path.
    void Navigate(const QString& address);
    void back();
    void forward();
    void reload();

    // The address last given to Navigate (history moves and reloads leave it).
    const QString& address() const { return m_address; }
    // The browser control, made now if it was not; nullptr when the services make none (then
    // every call does nothing).
    BrowserControl* browser();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<BrowserControl> m_browser;
    bool m_browserMade = false;
    QString m_address;
};

} // namespace orvix
