#pragma once

#include <QString>

namespace orvix::server {

class ServerContext;

// The board of the demo: a handful of posts by the demo members, with drawn photos, opinions
// in several styles (their ".tml" and ".txt" files in the writers' mailbox folders, as the
// client uploads them), one post with a content and one with a document. A post that exists
// already (same owner and title) is left as it is.
class BoardDemo {
public:
    static bool seed(ServerContext& context, QString* error);
};

} // namespace orvix::server
