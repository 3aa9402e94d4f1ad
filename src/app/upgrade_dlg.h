#pragma once

#include "platform/template_dialog.h"

#include <QUrl>

#include <optional>

namespace orvix {

// Tells the member that the server announces another version of the program. OK opens the
// service's web site in the desktop browser and ends the program with exit code 1; Cancel lets
// the program go on, unless the server no longer accepts this version, in which case Cancel is
// disabled.
class UpGradeDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 161;
    static constexpr int MessageId = 1025;
    static constexpr int CurrentVersionId = 1026;
    static constexpr int NewVersionId = 1027;
    static constexpr int PictureId = 1028;
    static constexpr int ExitCode = 1;

    explicit UpGradeDlg(QWidget* parent = nullptr);

    // Whether the server no longer accepts this version (its minimum version code is higher).
    bool upgradeRequired() const { return m_required; }

    // The exit code the program must end with once the dialog has closed, if OK was chosen.
    std::optional<int> requestedExitCode() const { return m_exitCode; }

    // The service's web site on its web host ("host[:port]"): "http://<web host>/".
    static QUrl webSiteAddress(const QString& webHost);

    static DialogTemplate dialogTemplate();

protected:
    void onOk() override;
    void onCancel() override;

private:
    bool m_required = false;
    std::optional<int> m_exitCode;
};

} // namespace orvix
