#include "platform/environment.h"

namespace orvix {

qint32 Environment::currentTimeSeconds() const {
    return static_cast<qint32>(static_cast<quint32>(currentDateTime().toSecsSinceEpoch()));
}

} // namespace orvix
