#pragma once

#include "app/local_text.h"

namespace orvix {

// The board's own messages in the program's three languages.

// An upload ended without reaching the server (the member may try again).
inline constexpr LocalText kUploadFailedText{
    u"파일을 서버에 보내지 못했습니다. 다시 시도해 주세요.", u"文件未能发送到服务器。请重试。",
    u"The file could not be sent to the server. Please try again."};

} // namespace orvix
