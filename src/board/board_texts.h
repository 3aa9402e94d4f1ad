#pragma once

#include <QString>

namespace orvix {

// The board's own messages in the three languages of the program, picked by the country code
// (0 Korea, 1 China, 2 any other country).
enum class BoardText {
    UploadFailed, // an upload ended without reaching the server
};

QString boardText(BoardText text, int country);

} // namespace orvix
