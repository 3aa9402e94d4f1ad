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

template <class Frame>
DocumentTemplate makeTemplate(const char* documentClass, const char* frameClass,
                              const char* viewClass) {
    DocumentTemplate t;
    t.documentClass = QString::fromLatin1(documentClass);
    t.frameClass = QString::fromLatin1(frameClass);
    t.viewClass = QString::fromLatin1(viewClass);
    t.createFrame = [] { return static_cast<QWidget*>(new Frame()); };
    return t;
}

} // namespace

void registerDocumentTemplates(COrvixWinApp& app) {
    app.AddDocTemplate(makeTemplate<CMainFrame>("COrvixWinDoc", "CMainFrame", "COrvixWinView"));
    app.AddDocTemplate(makeTemplate<CChatFrame>("CChatDocument", "CChatFrame", "CChatView"));
    app.AddDocTemplate(makeTemplate<CImageFrame>("CImageDocument", "CImageFrame", "CImageView"));
    app.AddDocTemplate(
        makeTemplate<CContentFrame>("COrvixWinDoc", "CContentFrame", "CContentView"));
    app.AddDocTemplate(makeTemplate<COrvixFrame>("COrvixWinDoc", "COrvixFrame", "COrvixAreaView"));
    app.AddDocTemplate(makeTemplate<CStoreFrame>("COrvixWinDoc", "CStoreFrame", "CStoreAddView"));
    app.AddDocTemplate(
        makeTemplate<COrvixListFrame>("COrvixWinDoc", "COrvixListFrame", "COrvixListView"));
    registerDocumentActions(app);
}

} // namespace orvix
