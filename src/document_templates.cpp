#include "document_templates.h"

#include "app/main_frame.h"
#include "app/orvix_win_app.h"
#include "board/orvix_frame.h"
#include "board/orvix_list_frame.h"
#include "chat/chat_frame.h"
#include "docs/document_actions.h"
#include "editor/content_frame.h"
#include "editor/image_frame.h"
#include "store/store_frame.h"

namespace orvix {

namespace {

enum class Opened { AtStart, WhenAsked };

template <class Frame> DocumentTemplate windowOf(LocalText name, Opened opened = Opened::AtStart) {
    DocumentTemplate t;
    t.createFrame = [] { return static_cast<QWidget*>(new Frame()); };
    t.createdAtStart = opened == Opened::AtStart;
    t.name = name;
    return t;
}

} // namespace

void registerDocumentTemplates(COrvixWinApp& app) {
    // In this order; the New command offers them by these names.
    app.AddDocTemplate(windowOf<CMainFrame>({u"런처", u"启动器", u"Launcher"}));   // COrvixWinView
    app.AddDocTemplate(windowOf<CChatFrame>({u"채팅", u"网上聊天", u"Chatting"})); // CChatView
    app.AddDocTemplate(
        windowOf<CImageFrame>({u"사진보기", u"查看照片", u"Photo view"})); // CImageView
    app.AddDocTemplate(windowOf<CContentFrame>(
        {u"콘텐트 편집기", u"内容编辑器", u"Content Editor"}));               // CContentView
    app.AddDocTemplate(windowOf<COrvixFrame>({u"게시물", u"帖子", u"Post"})); // COrvixAreaView
    app.AddDocTemplate(windowOf<CStoreFrame>({u"상점 등록", u"商店注册", u"Store registration"},
                                             Opened::WhenAsked)); // CStoreAddView
    app.AddDocTemplate(
        windowOf<COrvixListFrame>({u"광장", u"Orvix广场", u"Orvix Square"})); // COrvixListView
    registerDocumentActions(app);
}

} // namespace orvix
