#pragma once

#include <QImage>
#include <QString>

#include <memory>

class QPaintDevice;
class QPainter;

namespace orvix {

class CDibPicture;
class CImageObject;
class CTextObject;

// One message of a room's conversation: its time label, its bubble (text or photo), the
// sender's picture and the side it stands on. Own messages also carry how far their sending got.
class ChatMessage {
public:
    enum Kind { Text = 1, Photo = 3 };
    enum Side { Own = 1, Partner = 2 };
    // How an own message's sending stands; messages of the partner (and own messages written
    // elsewhere) have none.
    enum class Delivery { None, Waiting, Sent, NotSent };

    static inline const QString FontFace = QStringLiteral("굴림체");
    static constexpr int FontSize = 12;
    static constexpr int TextWidth = 300;
    static constexpr int PhotoWidth = 200;

    ChatMessage();
    ~ChatMessage();
    ChatMessage(const ChatMessage&) = delete;
    ChatMessage& operator=(const ChatMessage&) = delete;

    // Kind 1: a text bubble of the content, 300 wide in 12-pixel "굴림체", white when it is the
    // partner's, laid out at once. Kind 3: a photo bubble 200 wide of the content (thumbnail
    // and photo names joined by "|") loaded from the folder. Other kinds make no bubble.
    void SetContent(int kind, const QString& content, const QString& label, int side,
                    const QString& folder, const QPaintDevice* measuringDevice = nullptr);

    int kind() const { return m_kind; }
    int side() const { return m_side; }
    const QString& label() const { return m_label; }
    const CTextObject* textBubble() const { return m_text.get(); }
    const CImageObject* photoBubble() const { return m_photo.get(); }
    // The bubble that is drawn (text or photo), or nullptr.
    const CTextObject* bubble() const;

    // H + 2M of the bubble (0 without one) and the room the message takes in the conversation:
    // that plus 40 (the label line and the gaps).
    int bubbleHeight() const;
    int slotHeight() const { return bubbleHeight() + 40; }
    // The width the conversation reserves for the bubble: 300 for text, 200 for a photo.
    int reservedWidth() const { return m_kind == Photo ? PhotoWidth : TextWidth; }

    // Where the message was last laid out (content y of its top).
    int top() const { return m_top; }
    void setTop(int top) { m_top = top; }

    // The sender's picture, shared with the room or the application; a default picture is used
    // when there is no photo.
    void setSenderPicture(std::shared_ptr<const CDibPicture> photo, QImage fallback);
    const CDibPicture* senderPhoto() const { return m_senderPhoto.get(); }
    const QImage& senderDefaultPicture() const { return m_senderDefault; }

    qint64 roomNumber() const { return m_roomNumber; }
    void setRoomNumber(qint64 room) { m_roomNumber = room; }

    Delivery delivery() const { return m_delivery; }
    void setDelivery(Delivery delivery) { m_delivery = delivery; }
    // The outgoing queue's sequence of an own message ("idx"), empty otherwise.
    const QString& sequence() const { return m_sequence; }
    void setSequence(const QString& sequence) { m_sequence = sequence; }

private:
    int m_top = 0;
    qint64 m_roomNumber = 0;
    std::unique_ptr<CTextObject> m_text;
    std::unique_ptr<CImageObject> m_photo;
    std::shared_ptr<const CDibPicture> m_senderPhoto;
    QImage m_senderDefault;
    int m_kind = 0;
    int m_side = Partner;
    QString m_label;
    Delivery m_delivery = Delivery::None;
    QString m_sequence;
};

} // namespace orvix
