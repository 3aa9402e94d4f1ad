#pragma once

#include "platform/window_messages.h"

#include <QtGlobal>

#include <optional>

class QObject;

namespace orvix {

class COrviUpload;

// The upload message (Msg::Upload, 1035) as its owner reads it. A window that uploads reads the
// notices like this, never by casting the message's parameters:
//
//     if (const auto notice = UploadNotice::from(message, wParam, lParam)) {
//         if (notice->kind == UploadNotice::Kind::Finished)
//             registerFile(notice->upload->targetName());
//         return 1;
//     }
//
// (UploadProgress does this for windows that show a progress strip.)
struct UploadNotice {
    // The message's first parameter.
    enum class Kind {
        Started = 1,  // the file is open; bytes = its size
        Progress = 2, // a piece went out; bytes = bytes of the file sent so far
        Finished = 3, // the whole file went out; bytes = its size, upload = the upload
    };

    Kind kind = Kind::Started;
    qint64 bytes = 0;
    // The finished upload, valid while the handler runs (it releases itself afterwards);
    // nullptr for the other kinds.
    COrviUpload* upload = nullptr;

    // The notice a message carries; nothing for any other message, an unknown kind, a negative
    // byte count or a finished notice without its upload.
    static std::optional<UploadNotice> from(int message, WParam wParam, LParam lParam);

    // Delivers the notice to its owner synchronously (see sendMessage); the owner's result.
    int sendTo(QObject* owner) const;
};

} // namespace orvix
