#pragma once

#include "platform/ui_services.h"

#include <QUrl>

#include <deque>
#include <functional>
#include <vector>

namespace orvix {

// User-interface services for tests: records everything that was shown and answers with what
// the test scripted, without ever blocking on a real dialog. Unscripted questions get the
// "cancel" answer (DialogResult::Ok for message boxes, which have nothing to cancel).
class ScriptedUiServices final : public UiServices {
public:
    struct ShownMessage {
        QString title;
        QString text;
        MessageBoxButtons buttons;
    };
    // Answers a modal run; it may change the dialog (fill fields, press buttons) before it
    // returns the result code. The dialog is shown while the script runs.
    using ModalScript = std::function<int(QDialog&)>;

    // Scripting.
    void answerMessageBox(int result) { m_messageAnswers.push_back(result); }
    void answerFiles(QStringList files) { m_fileAnswers.push_back(std::move(files)); }
    void answerColor(std::optional<QColor> colour) { m_colorAnswers.push_back(colour); }
    void answerFont(std::optional<QFont> font) { m_fontAnswers.push_back(std::move(font)); }
    void answerModal(ModalScript script) { m_modalScripts.push_back(std::move(script)); }
    void setDesktopBrowserWorks(bool works) { m_desktopBrowserWorks = works; }

    // What was shown.
    const std::vector<ShownMessage>& messages() const { return m_messages; }
    const std::vector<FileOpenRequest>& fileRequests() const { return m_fileRequests; }
    const std::vector<QUrl>& openedAddresses() const { return m_openedAddresses; }
    // Class names (without namespace) of the dialogs that were run modally, in order.
    const QStringList& modalDialogs() const { return m_modalDialogs; }
    int colorRequests() const { return m_colorRequests; }
    int fontRequests() const { return m_fontRequests; }

    int messageBox(QWidget* parent, const QString& title, const QString& text,
                   MessageBoxButtons buttons) override;
    QStringList chooseFiles(QWidget* parent, const FileOpenRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    bool openInDesktopBrowser(const QUrl& address) override;
    int runModal(QDialog& dialog) override;

private:
    std::deque<int> m_messageAnswers;
    std::deque<QStringList> m_fileAnswers;
    std::deque<std::optional<QColor>> m_colorAnswers;
    std::deque<std::optional<QFont>> m_fontAnswers;
    std::deque<ModalScript> m_modalScripts;
    bool m_desktopBrowserWorks = true;

    std::vector<ShownMessage> m_messages;
    std::vector<FileOpenRequest> m_fileRequests;
    std::vector<QUrl> m_openedAddresses;
    QStringList m_modalDialogs;
    int m_colorRequests = 0;
    int m_fontRequests = 0;
};

} // namespace orvix
