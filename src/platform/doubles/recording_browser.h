#pragma once

#include "platform/browser_control.h"

#include <QStringList>

namespace orvix {

// A browser for tests: records each action as "navigate <address>", "back", "forward" or
// "reload" and keeps a plain widget in place of the page.
class RecordingBrowser final : public BrowserControl {
public:
    explicit RecordingBrowser(QWidget* parent = nullptr);
    ~RecordingBrowser() override;

    void navigate(const QString& address) override;
    void back() override { m_actions << QStringLiteral("back"); }
    void forward() override { m_actions << QStringLiteral("forward"); }
    void reload() override { m_actions << QStringLiteral("reload"); }
    QWidget* widget() override { return m_widget; }

    const QStringList& actions() const { return m_actions; }
    // The address of the last navigation, or empty.
    QString lastAddress() const { return m_lastAddress; }

private:
    QWidget* m_widget;
    bool m_ownsWidget;
    QStringList m_actions;
    QString m_lastAddress;
};

} // namespace orvix
