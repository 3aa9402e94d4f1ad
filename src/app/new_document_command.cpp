#include "app/new_document_command.h"

#include "app/new_type_dlg.h"
#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "platform/ui_services.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace orvix {

namespace {

// What each kind of window is, for the chooser, by the column: Korean, Chinese, English.
QString windowKind(const QString& frameClass, int column) {
    struct Kind {
        const char* frameClass;
        const char16_t* texts[3];
    };
    static const Kind kinds[] = {
        {"CMainFrame", {u"런처", u"启动器", u"Launcher"}},
        {"CChatFrame", {u"채팅", u"网上聊天", u"Chatting"}},
        {"CImageFrame", {u"사진보기", u"查看照片", u"Photo view"}},
        {"CContentFrame", {u"콘텐트 편집기", u"内容编辑器", u"Content Editor"}},
        {"COrvixFrame", {u"게시물", u"帖子", u"Post"}},
        {"CStoreFrame", {u"상점 등록", u"商店注册", u"Store registration"}},
        {"COrvixListFrame", {u"광장", u"Orvix广场", u"Orvix Square"}},
    };
    const int index = column >= 0 && column <= 2 ? column : 2;
    for (const Kind& kind : kinds) {
        if (frameClass == QLatin1String(kind.frameClass))
            return QString::fromUtf16(kind.texts[index]);
    }
    return {};
}

// The class name of a window without its namespace.
QString className(const QWidget* window) {
    return QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
}

} // namespace

QStringList NewDocumentCommand::typeNames(const COrvixWinApp& app, int column) {
    QStringList names;
    for (const DocumentTemplate& type : app.documentTemplates()) {
        const QString name = type.documentStringField(2);
        const QString kind = windowKind(type.frameClass, column);
        names << (kind.isEmpty() ? name : QStringLiteral("%1 — %2").arg(name, kind));
    }
    return names;
}

QWidget* NewDocumentCommand::open(COrvixWinApp& app, std::size_t type) {
    const auto& types = app.documentTemplates();
    if (type >= types.size())
        return nullptr;
    QWidget* window = nullptr;
    for (QWidget* topLevel : QApplication::topLevelWidgets()) {
        if (className(topLevel) == types[type].frameClass) {
            window = topLevel;
            break;
        }
    }
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
    static const char16_t* const texts[3] = {u"새로 만들기", u"新建", u"New"};
    return QString::fromUtf16(texts[column >= 0 && column <= 2 ? column : 2]);
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
