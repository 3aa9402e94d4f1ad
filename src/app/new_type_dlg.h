#pragma once

#include "platform/template_dialog.h"

#include <QStringList>

class QListWidget;

namespace orvix {

// The New command's chooser: the registered document types by name, the first selected. OK (or
// a double click, or Enter) ends with OK and the chosen type; Cancel chooses nothing.
class CNewTypeDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ListId = 0x3000;
    static constexpr int LabelId = 0x3001;

    // The caption and the list's label read `title` ("New" in the member's language).
    CNewTypeDlg(const QStringList& typeNames, const QString& title, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    // The chosen type (0-based), or -1.
    int selectedType() const;

    static DialogTemplate dialogTemplate();

private:
    QListWidget* m_list;
};

} // namespace orvix
