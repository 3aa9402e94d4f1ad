#include "platform/doubles/scripted_ui_services.h"

#include <QDialog>

namespace orvix {

namespace {

template <class T> std::optional<T> takeFront(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

} // namespace

int ScriptedUiServices::messageBox(QWidget*, const QString& title, const QString& text,
                                   MessageBoxButtons buttons) {
    m_messages.push_back({title, text, buttons});
    return takeFront(m_messageAnswers).value_or(DialogResult::Ok);
}

QStringList ScriptedUiServices::chooseFiles(QWidget*, const FileOpenRequest& request) {
    m_fileRequests.push_back(request);
    return takeFront(m_fileAnswers).value_or(QStringList{});
}

std::optional<QColor> ScriptedUiServices::chooseColor(QWidget*, const QColor&) {
    ++m_colorRequests;
    return takeFront(m_colorAnswers).value_or(std::nullopt);
}

std::optional<QFont> ScriptedUiServices::chooseFont(QWidget*, const QFont&) {
    ++m_fontRequests;
    return takeFront(m_fontAnswers).value_or(std::nullopt);
}

bool ScriptedUiServices::openInDesktopBrowser(const QUrl& address) {
    m_openedAddresses.push_back(address);
    return m_desktopBrowserWorks;
}

int ScriptedUiServices::runModal(QDialog& dialog) {
    m_modalDialogs
        << QString::fromLatin1(dialog.metaObject()->className()).section(QStringLiteral("::"), -1);
    auto script = takeFront(m_modalScripts);
    if (!script)
        return DialogResult::Cancel;
    // Shown while the script runs, as a real modal run shows it, so keys and visibility work.
    dialog.show();
    const int result = (*script)(dialog);
    dialog.hide();
    return result;
}

} // namespace orvix
