#pragma once

namespace orvix {

// Plays the notification sound without waiting for it to end.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void playNotification() = 0;
};

} // namespace orvix
