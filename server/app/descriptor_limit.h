#pragma once

#include "server/core/server_limits.h"

namespace orvix::server {

// The process's limit on open descriptors, and the connection caps that fit under it. Every
// HTTP connection takes a descriptor (and one more while it sends a file); every upload takes
// two (the connection and its staged file); the database, the listening ports and the log need
// a few. Caps below the limit keep the server able to accept, so that a flood of connections
// meets a refusal instead of a port that no longer answers.
class DescriptorLimit {
public:
    // The current soft limit (1,024 when it cannot be read).
    static int current();
    // Raises the soft limit to the hard one; gives the soft limit now in force.
    static int raise();

    // The limits with the caps left at 0 chosen for this many descriptors.
    static ServerLimits fit(ServerLimits limits, int descriptors);
};

} // namespace orvix::server
