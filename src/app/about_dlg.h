#pragma once

#include "platform/template_dialog.h"

namespace orvix {

// The About box: the program's icon, name and version, and the maker's notice.
class CAboutDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 100;
    static constexpr int IconId = 1029;
    static constexpr int VersionTextId = 1030;
    static constexpr int NoticeTextId = 1031;

    explicit CAboutDlg(QWidget* parent = nullptr);

    static DialogTemplate dialogTemplate();
};

} // namespace orvix
