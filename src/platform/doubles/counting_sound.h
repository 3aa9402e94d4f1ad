#pragma once

#include "platform/sound_player.h"

namespace orvix {

// A sound player for tests that only counts how often it was asked to play.
class CountingSound final : public SoundPlayer {
public:
    void playNotification() override { ++m_count; }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

} // namespace orvix
