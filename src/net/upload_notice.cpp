#include "net/upload_notice.h"

#include "net/orvi_upload.h"
#include "platform/message_target.h"

namespace orvix {

std::optional<UploadNotice> UploadNotice::from(int message, WParam wParam, LParam lParam) {
    if (message != Msg::Upload)
        return std::nullopt;
    switch (wParam) {
    case WParam(Kind::Started):
    case WParam(Kind::Progress):
        if (lParam < 0)
            return std::nullopt;
        return UploadNotice{static_cast<Kind>(wParam), lParam, nullptr};
    case WParam(Kind::Finished): {
        auto* upload = reinterpret_cast<COrviUpload*>(lParam);
        if (!upload)
            return std::nullopt;
        return UploadNotice{Kind::Finished, upload->size(), upload};
    }
    default:
        return std::nullopt;
    }
}

int UploadNotice::sendTo(QObject* owner) const {
    const LParam value =
        kind == Kind::Finished ? reinterpret_cast<LParam>(upload) : static_cast<LParam>(bytes);
    return sendMessage(owner, Msg::Upload, static_cast<WParam>(kind), value);
}

} // namespace orvix
