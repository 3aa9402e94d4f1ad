#pragma once

#include "platform/ui_services.h"

namespace orvix {

// The user-interface services on the real desktop: Qt's message boxes and choosers.
class QtUiServices final : public UiServices {
public:
    int messageBox(QWidget* parent, const QString& title, const QString& text,
                   MessageBoxButtons buttons) override;
    QStringList chooseFiles(QWidget* parent, const FileOpenRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    bool openInDesktopBrowser(const QUrl& address) override;
    int runModal(QDialog& dialog) override;
};

} // namespace orvix
