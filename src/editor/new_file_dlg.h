#pragma once

#include "platform/template_dialog.h"

namespace orvix {

// "새파일 만들기": whether the modified content may be replaced by a new one ("새로만들기" is OK).
class CNewFileDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 155;

    explicit CNewFileDlg(QWidget* parent = nullptr);

    static DialogTemplate dialogTemplate();
};

} // namespace orvix
