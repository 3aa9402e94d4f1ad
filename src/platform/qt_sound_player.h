#pragma once

#include "platform/sound_player.h"

#include <memory>

class QSoundEffect;

namespace orvix {

// Plays the compiled-in notification chime through Qt Multimedia. A machine without an audio
// device plays nothing and reports nothing.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    void playNotification() override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace orvix
