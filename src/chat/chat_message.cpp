#include "chat/chat_message.h"

#include "chat/image_object.h"
#include "chat/text_object.h"
#include "imaging/dib_picture.h"

namespace orvix {

ChatMessage::ChatMessage() = default;
ChatMessage::~ChatMessage() = default;

void ChatMessage::SetContent(int kind, const QString& content, const QString& label, int side,
                             const QString& folder, const QPaintDevice* measuringDevice) {
    m_label = label;
    m_kind = kind;
    m_side = side;
    m_text.reset();
    m_photo.reset();
    if (kind == Text) {
        m_text = std::make_unique<CTextObject>();
        m_text->Set(FontSize, TextWidth, FontFace, content, measuringDevice);
        if (side == Partner)
            m_text->setFillColour(QColor(255, 255, 255));
        m_text->Layout();
    } else if (kind == Photo) {
        m_photo = std::make_unique<CImageObject>();
        m_photo->Set(PhotoWidth, content, folder);
    }
}

const CTextObject* ChatMessage::bubble() const {
    if (m_text)
        return m_text.get();
    return m_photo.get();
}

int ChatMessage::bubbleHeight() const {
    const CTextObject* shown = bubble();
    return shown ? shown->bubbleHeight() : 0;
}

void ChatMessage::setSenderPicture(std::shared_ptr<const CDibPicture> photo, QImage fallback) {
    m_senderPhoto = std::move(photo);
    m_senderDefault = std::move(fallback);
}

} // namespace orvix
