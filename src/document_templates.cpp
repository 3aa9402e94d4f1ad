#include "document_templates.h"

#include "app/main_frame.h"
#include "app/orvix_win_app.h"
#include "board/orvix_frame.h"
#include "board/orvix_list_frame.h"
#include "chat/chat_frame.h"
#include "editor/content_frame.h"
#include "editor/image_frame.h"
#include "store/store_frame.h"

namespace orvix {

namespace {

enum class Opened { AtStart, WhenAsked };

template <class Frame> DocumentTemplate windowOf(Opened opened = Opened::AtStart) {
    DocumentTemplate t;
    t.createFrame = [] { return static_cast<QWidget*>(new Frame()); };
    t.createdAtStart = opened == Opened::AtStart;
    return t;
}

} // namespace

void registerDocumentTemplates(COrvixWinApp& app) {
    app.AddDocTemplate(windowOf<CMainFrame>());    // the launcher: COrvixWinView
    app.AddDocTemplate(windowOf<CChatFrame>());    // the chat room: CChatView
    app.AddDocTemplate(windowOf<CImageFrame>());   // the photo viewer: CImageView
    app.AddDocTemplate(windowOf<CContentFrame>()); // the content editor: CContentView
    app.AddDocTemplate(windowOf<COrvixFrame>());   // the post view: COrvixAreaView
    app.AddDocTemplate(windowOf<CStoreFrame>(Opened::WhenAsked)); // CStoreAddView
    app.AddDocTemplate(windowOf<COrvixListFrame>());              // the post list: COrvixListView
}

} // namespace orvix
