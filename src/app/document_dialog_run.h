#pragma once

#include "app/orvix_win_app.h"

#include <QMetaType>
#include <QString>
#include <QVariant>

class QWidget;

namespace orvix {

// One run of the document dialog (the documents feature's "문서설정") asked for by another
// feature, through Action::RunDocumentDialog: the parent it runs over, and what it registered
// once it ended with OK. The post view and the content editor attach documents this way:
//
//     DocumentDialogRun run;
//     run.parent = this;
//     if (DocumentDialogRun::run(COrvixWinApp::current(), run) && run.result == DialogResult::Ok)
//         attach(run.address, run.fileName, run.extension, run.comment);
struct DocumentDialogRun {
    QWidget* parent = nullptr;
    int result = 0;    // the dialog's result: DialogResult::Ok when a document was registered
    QString fileName;  // the file's name as the dialog showed it (its name on the member's PC)
    QString address;   // "http://<image server>/image/document/<member number>/<stored name>"
    QString extension; // upper-cased
    QString comment;   // the description the member typed

    // Runs the dialog modally through the action; false when no feature provides it.
    static bool run(COrvixWinApp& app, DocumentDialogRun& request) {
        return app.runAction(COrvixWinApp::Action::RunDocumentDialog,
                             QVariant::fromValue(&request));
    }
    // The run an action's argument carries, or nullptr.
    static DocumentDialogRun* of(const QVariant& argument) {
        return argument.value<DocumentDialogRun*>();
    }
};

} // namespace orvix
