#pragma once

#include "platform/template_dialog.h"

namespace orvix {

class CExplorer;

// The member's document library ("도큐먼트"): the service's documents page in an embedded
// browser, newest first or in order of registration, a reload, and a button that registers a
// new document (CDocumentDlg) and then shows the list again.
class CMyDocumentDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 199;
    enum ControlId {
        BrowserId = 1018,
        RegisterButton = 1079,
        NewestFirstButton = 1081,
        RegistrationOrderButton = 1082,
        ReloadButton = 1053,
    };
    enum Order { RegistrationOrder = 0, NewestFirst = 1 };

    explicit CMyDocumentDlg(QWidget* parent = nullptr);

    // Navigates the browser to the documents page in the current order.
    void ShowList();
    void OnRegister();
    void OnNewestFirst();
    void OnRegistrationOrder();
    void OnReload();

    int order() const { return m_order; }
    CExplorer* explorer() const { return m_explorer; }

    // "http://<web host>/android/pcdocument.php?deviceid=<device id>&order=<order>".
    static QString listAddress(const QString& webHost, const QString& deviceId, int order);

    static DialogTemplate dialogTemplate();

private:
    CExplorer* m_explorer;
    int m_order = RegistrationOrder;
};

} // namespace orvix
