#include "server/scripts/chat/chat_demo_seed.h"

#include "server/core/server_context.h"
#include "server/scripts/chat/chat_photos.h"
#include "server/scripts/chat/chat_store.h"
#include "server/scripts/chat/demo_picture.h"

#include <QDateTime>

namespace orvix::server {

namespace {

struct Line {
    bool fromDemo;
    int minutesAgo;
    const char16_t* text; // nullptr: a photo
};

struct Room {
    const char16_t* partner;
    std::initializer_list<Line> lines;
};

} // namespace

bool seedChatDemo(ServerContext& context, QString* error) {
    const Room rooms[] = {
        {u"alex",
         {{false, 1500, u"Meeting moved to 3 pm tomorrow."},
          {true, 1490, u"OK, see you there."},
          {false, 1485, u"Bring the slides, please."}}},
        {u"wei",
         {{false, 300, u"早上好! Good morning!"},
          {true, 290, u"Morning, Wei. How was the trip?"},
          {false, 280, nullptr},
          {false, 279, u"The lake at sunset. 真漂亮!"}}},
        {u"minji",
         {{true, 90, u"Did you get home okay?"},
          {false, 85, u"Yes, thanks for dinner! 고마워요"},
          {false, 84, u"Write me something here, I answer within a second."}}},
    };
    const auto demo = context.members().findByLoginId(QStringLiteral("demo"));
    if (!demo)
        return true; // no demo member, no demo rooms
    ChatStore store(context.database());
    ChatPhotos photos(context.folder());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    int pictures = 0;
    for (const Room& room : rooms) {
        const auto partner = context.members().findByLoginId(QString::fromUtf16(room.partner));
        if (!partner)
            continue;
        bool created = false;
        const auto roomNo = store.openRoom(demo->memberNo, partner->memberNo, error, &created);
        if (!roomNo)
            return false;
        if (!created)
            continue;
        for (const Line& line : room.lines) {
            const qint64 sender = line.fromDemo ? demo->memberNo : partner->memberNo;
            QString content;
            int kind = ChatKind::Text;
            if (line.text) {
                content = QString::fromUtf16(line.text);
            } else {
                const auto stored = photos.store(sender, DemoPicture::paint(pictures++), error);
                if (!stored)
                    return false;
                content = *stored;
                kind = ChatKind::Photo;
            }
            const auto sent = store.addMessage(*roomNo, sender, kind, content, {}, {},
                                               now - qint64(line.minutesAgo) * 60);
            if (sent.outcome != ChatStore::Sending::Outcome::Stored) {
                if (error)
                    *error = QStringLiteral("cannot store the demo messages: %1")
                                 .arg(context.database().lastError());
                return false;
            }
        }
    }
    return true;
}

} // namespace orvix::server
