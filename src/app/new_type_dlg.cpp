#include "app/new_type_dlg.h"

#include <QLabel>
#include <QListWidget>

namespace orvix {

namespace {

const QRect kListRect(6, 15, 125, 49);

} // namespace

DialogTemplate CNewTypeDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = 0;
    dialog.caption = QStringLiteral("New");
    dialog.size = QSize(183, 70);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {LabelId, ControlKind::Static, QRect(6, 5, 123, 8), QStringLiteral("New")},
        {1, ControlKind::DefaultButton, QRect(137, 6, 40, 14), QStringLiteral("OK")},
        {2, ControlKind::Button, QRect(137, 23, 40, 14), QStringLiteral("Cancel")},
    };
    return dialog;
}

CNewTypeDlg::CNewTypeDlg(const QStringList& typeNames, const QString& title, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_list(new QListWidget(this)) {
    setWindowTitle(title);
    if (auto* label = control<QLabel>(LabelId))
        label->setText(title);
    // The templates have no list box kind: the list is placed by the same dialog units.
    m_list->setObjectName(controlName(ListId));
    m_list->setGeometry(units().toPixels(kListRect));
    m_list->addItems(typeNames);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_list->setFocus();
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { onOk(); });
}

int CNewTypeDlg::selectedType() const {
    return m_list->currentRow();
}

} // namespace orvix
