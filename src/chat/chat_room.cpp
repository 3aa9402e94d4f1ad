#include "chat/chat_room.h"

#include "chat/chat_message_list.h"
#include "imaging/dib_picture.h"

namespace orvix {

ChatRoom::ChatRoom() = default;
ChatRoom::~ChatRoom() = default;

} // namespace orvix
