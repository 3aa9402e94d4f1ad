#include "board/board_texts.h"

namespace orvix {

QString boardText(BoardText text, int country) {
    switch (text) {
    case BoardText::UploadFailed:
        switch (country) {
        case 0:
            return QStringLiteral("파일을 서버에 보내지 못했습니다. 다시 시도해 주세요.");
        case 1:
            return QStringLiteral("文件未能发送到服务器。请重试。");
        default:
            return QStringLiteral("The file could not be sent to the server. Please try again.");
        }
    }
    return {};
}

} // namespace orvix
