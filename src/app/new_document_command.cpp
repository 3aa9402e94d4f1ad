#include "app/new_document_command.h"

#include "app/new_type_dlg.h"
#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "platform/ui_services.h"

#include <QAction>
#include <QWidget>

namespace orvix {

QStringList NewDocumentCommand::typeNames(const COrvixWinApp& app, int column) {
    QStringList names;
    for (const DocumentTemplate& type : app.documentTemplates()) {
        const QString kind = type.name.pick(column);
        names << (kind.isEmpty() ? QStringLiteral("Orvix")
                                 : QStringLiteral("Orvix — %1").arg(kind));
    }
    return names;
}

QWidget* NewDocumentCommand::open(COrvixWinApp& app, std::size_t type) {
    if (type >= app.documentTemplates().size())
        return nullptr;
    QWidget* window = app.documentWindow(type);
    if (!window)
        window = app.OpenDocumentFile(type);
    if (!window)
        return nullptr;
    window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
}

QWidget* NewDocumentCommand::run(COrvixWinApp& app, QWidget* parent) {
    const std::size_t count = app.documentTemplates().size();
    if (count == 0)
        return nullptr;
    if (count == 1)
        return open(app, 0);
    const int column = app.session().country;
    CNewTypeDlg chooser(typeNames(app, column), commandName(column), parent);
    if (app.ui().runModal(chooser) != DialogResult::Ok || chooser.selectedType() < 0)
        return nullptr;
    return open(app, std::size_t(chooser.selectedType()));
}

QString NewDocumentCommand::commandName(int column) {
    constexpr LocalText kNew{u"새로 만들기", u"新建", u"New"};
    return kNew.pick(column);
}

QAction* NewDocumentCommand::addTo(QWidget* widget, QAction* before) {
    auto* action = new QAction(commandName(COrvixWinApp::current().session().country), widget);
    action->setShortcut(QKeySequence::New);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, widget,
                     [widget] { run(COrvixWinApp::current(), widget->window()); });
    widget->insertAction(before, action);
    return action;
}

} // namespace orvix
