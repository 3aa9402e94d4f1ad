#pragma once

#include "platform/template_dialog.h"

namespace orvix {

class CExplorer;

// The address page of a newly registered store: the service's page
// "/android/orseekaddress_cn_window.php?deviceid=&idx=" on its web host, in an embedded browser,
// where the member places the store. OK and Cancel close it.
class CWebMapView : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 106;
    static constexpr int BrowserId = 1044;

    CWebMapView(const QString& storeIndex, QWidget* parent = nullptr);

    const QString& storeIndex() const { return m_storeIndex; }
    CExplorer* explorer() const { return m_explorer; }

    // "http://<web host>/android/orseekaddress_cn_window.php?deviceid=<device id>&idx=<index>".
    static QString pageAddress(const QString& webHost, const QString& deviceId,
                               const QString& storeIndex);

    static DialogTemplate dialogTemplate();

private:
    QString m_storeIndex;
    CExplorer* m_explorer;
};

} // namespace orvix
