#include "platform/qt_sound_player.h"

#include "platform/resources.h"

#include <QSoundEffect>

namespace orvix {

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::playNotification() {
    // Created on first use, so that a session that never plays a sound never opens the device.
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(res::soundUrl(res::NotificationSound));
    }
    m_effect->stop();
    m_effect->play();
}

} // namespace orvix
