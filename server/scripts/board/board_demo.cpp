#include "server/scripts/board/board_demo.h"

#include "server/admin/member_photo.h"
#include "server/core/server_context.h"
#include "server/core/text_pdf.h"
#include "server/pages/board/opinion_file.h"
#include "server/scripts/board/board_store.h"
#include "server/scripts/board/post_registration.h"
#include "server/scripts/board/scene_painter.h"
#include "server/storage/staged_file.h"

#include <QDateTime>

#include <array>
#include <vector>

namespace orvix::server {

namespace {

using Scene = ScenePainter::Scene;

// A colour as opinion files hold it: red + 256 × green + 65536 × blue.
constexpr quint32 rgb(int red, int green, int blue) {
    return quint32(red) | quint32(green) << 8 | quint32(blue) << 16;
}

struct DemoOpinion {
    const char16_t* writer;
    const char16_t* text;
    quint32 textColour = rgb(0, 0, 0);
    quint32 background = rgb(255, 255, 255);
    int size = 16;
    bool bold = false;
    bool italic = false;
    const char16_t* alignment = u"left";
};

struct DemoDocument {
    const char16_t* fileName;
    const char16_t* comment;
};

struct DemoPost {
    const char16_t* owner;
    const char16_t* title;
    Scene scene;
    int daysAgo;
    std::vector<DemoOpinion> opinions;
    std::vector<const char16_t*> viewers; // members who opened the post without writing
    const char16_t* content = nullptr;    // the post's own text, when it has one
    const DemoDocument* document = nullptr;
};

const DemoDocument kTrailGuide{u"hiking-trail-guide.pdf", u"Trail map, times and what to pack."};

std::vector<DemoPost> demoPosts() {
    std::vector<DemoPost> posts;
    posts.push_back({u"demo",
                     u"Welcome to Orvix Square",
                     Scene::TownSquare,
                     6,
                     {{u"minji", u"반가워요! 자주 들를게요.", rgb(138, 43, 226), rgb(245, 236, 255),
                       18, false, false, u"center"},
                      {u"alex", u"Nice to have a board on the PC too.", rgb(32, 32, 32),
                       rgb(255, 255, 255), 16}},
                     {u"wei"},
                     u"This is the board of the Orvix community. Open a post to read it, write "
                     u"an opinion, attach a photo or a document, or write a whole content with "
                     u"the Smart Editor."});
    posts.push_back({u"minji",
                     u"주말 한강 피크닉 같이 가요",
                     Scene::RiverPicnic,
                     4,
                     {{u"wei", u"我也想去！几点集合？", rgb(0, 80, 200), rgb(255, 255, 255), 16},
                      {u"alex", u"Count me in, I'll bring snacks.\nAnd a frisbee.", rgb(0, 0, 0),
                       rgb(255, 246, 204), 16, true}},
                     {}});
    posts.push_back(
        {u"wei",
         u"上海外滩的夜景",
         Scene::CityNight,
         3,
         {{u"alex", u"Beautiful photo! Which camera?", rgb(0, 0, 0), rgb(255, 255, 255), 16, false,
           true},
          {u"minji", u"와 정말 멋지네요", rgb(192, 0, 0), rgb(255, 255, 255), 20, true}},
         {u"demo"}});
    posts.push_back(
        {u"alex",
         u"Weekend hike: Bukhansan trail",
         Scene::Mountains,
         2,
         {{u"minji", u"날씨가 좋으면 저도 갈게요.", rgb(0, 100, 0), rgb(234, 255, 234), 16}},
         {u"wei"},
         nullptr,
         &kTrailGuide});
    posts.push_back({u"minji", u"역 근처 커피 맛집 추천해 주세요", Scene::Coffee, 1, {}, {}});
    return posts;
}

QString text(const char16_t* value) {
    return value ? QString::fromUtf16(value) : QString();
}

class Seeder {
public:
    Seeder(ServerContext& context, QString* error)
        : m_context(context)
        , m_store(context.database())
        , m_error(error) {}

    bool run() {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        for (const DemoPost& post : demoPosts()) {
            if (!seedPost(post, now - qint64(post.daysAgo) * 86400))
                return false;
        }
        return true;
    }

private:
    bool fail(const QString& reason) {
        if (m_error)
            *m_error = QStringLiteral("demo board: %1").arg(reason);
        return false;
    }

    std::optional<qint64> memberNo(const char16_t* id) {
        bool failed = false;
        const auto member = m_context.members().findByLoginId(text(id), &failed);
        if (!member)
            return std::nullopt;
        return member->memberNo;
    }

    bool seedPost(const DemoPost& demo, qint64 at) {
        const auto owner = memberNo(demo.owner);
        if (!owner)
            return fail(QStringLiteral("no member %1").arg(text(demo.owner)));
        bool failed = false;
        if (m_store.findPost(*owner, text(demo.title), &failed))
            return true;
        if (failed)
            return fail(m_context.database().lastError());

        std::optional<qint64> contentNo;
        if (demo.content) {
            ContentRecord content;
            content.memberNo = *owner;
            content.style = QStringLiteral("replayinfo");
            content.fileName = QStringLiteral("post%1").arg(at);
            content.title = text(demo.title);
            content.html = QStringLiteral("<p style='font-size:16px;background-color:#ffffff;"
                                          "color:#000000;text-align:left;font-style:normal;"
                                          "font-weight:normal;'>%1</p>\n")
                               .arg(text(demo.content));
            content.createdAt = at;
            contentNo = m_store.contents().add(content);
            if (!contentNo)
                return fail(m_context.database().lastError());
        }
        const QByteArray photo = MemberPhoto::encode(ScenePainter::paint(demo.scene));
        QString error;
        const auto mailIdx = PostRegistration(m_context, m_store)
                                 .add(*owner, text(demo.title), photo, contentNo, at, &error);
        if (!mailIdx)
            return fail(error);

        qint64 when = at;
        for (const DemoOpinion& opinion : demo.opinions) {
            when += 3600;
            if (!seedOpinion(*mailIdx, opinion, when))
                return false;
        }
        if (demo.document && !seedDocument(*mailIdx, *owner, *demo.document, when + 1800))
            return false;
        for (const char16_t* viewer : demo.viewers) {
            const auto number = memberNo(viewer);
            if (number && !m_store.markViewed(*mailIdx, *number, when + 7200))
                return fail(m_context.database().lastError());
        }
        return true;
    }

    bool seedOpinion(qint64 mailIdx, const DemoOpinion& demo, qint64 at) {
        const auto writer = memberNo(demo.writer);
        if (!writer)
            return fail(QStringLiteral("no member %1").arg(text(demo.writer)));
        OpinionFile opinion;
        opinion.italic = demo.italic;
        opinion.bold = demo.bold;
        opinion.alignment = text(demo.alignment);
        opinion.textColour = demo.textColour;
        opinion.backgroundColour = demo.background;
        opinion.size = demo.size;
        opinion.text = text(demo.text);

        // The files the opinion dialog uploads, named after the writer and the time.
        const QString name = QStringLiteral("%1%2").arg(*writer).arg(at);
        const QString folder = QStringLiteral("%1/%2").arg(m_context.folder().imageRoot(),
                                                           BoardStore::mailboxFolder(*writer));
        QString plain = opinion.text;
        plain.replace(u'\n', QStringLiteral("\r\n"));
        QString error;
        if (!StagedFile::writeWhole(m_context.folder().stagingDir(),
                                    folder + u'/' + name + QLatin1String(".tml"), opinion.toBytes(),
                                    &error) ||
            !StagedFile::writeWhole(m_context.folder().stagingDir(),
                                    folder + u'/' + name + QLatin1String(".txt"), plain.toUtf8(),
                                    &error)) {
            return fail(error);
        }
        ContentRecord content;
        content.memberNo = *writer;
        content.style = QStringLiteral("text");
        content.fileName = name;
        content.title = QStringLiteral("0");
        content.html = opinion.clientParagraph();
        content.createdAt = at;
        const auto contentNo = m_store.contents().add(content);
        if (!contentNo || !m_store.addEntry(mailIdx, *writer, PostEntry::Kind::Opinion, QString(),
                                            contentNo, QString(), at)) {
            return fail(m_context.database().lastError());
        }
        return true;
    }

    bool seedDocument(qint64 mailIdx, qint64 owner, const DemoDocument& demo, qint64 at) {
        const QString stored = QStringLiteral("%1%2.PDF").arg(owner).arg(at);
        const QString relative = QStringLiteral("document/%1/%2").arg(owner).arg(stored);
        const QByteArray pdf =
            TextPdf::page(QStringLiteral("Bukhansan trail guide"),
                          {QStringLiteral("Meet at Bukhansanseong entrance, 8:00."),
                           QStringLiteral("Route: Baegundae summit and back, about 5 hours."),
                           QStringLiteral("Pack: water (1.5 l), lunch, rain jacket, gloves."),
                           QStringLiteral("The way down takes the valley path past the temple.")});
        QString error;
        if (!StagedFile::writeWhole(m_context.folder().stagingDir(),
                                    m_context.folder().imageRoot() + u'/' + relative, pdf,
                                    &error)) {
            return fail(error);
        }
        // The demo is served on ports chosen at start, so the document's address names this
        // server's own tree rather than a host.
        const QString body = QStringLiteral("/image/%1|%2|%3")
                                 .arg(relative, text(demo.fileName), text(demo.comment));
        if (!m_store.addEntry(mailIdx, owner, PostEntry::Kind::Document, body, std::nullopt,
                              QString(), at)) {
            return fail(m_context.database().lastError());
        }
        return true;
    }

    ServerContext& m_context;
    BoardStore m_store;
    QString* m_error;
};

} // namespace

bool BoardDemo::seed(ServerContext& context, QString* error) {
    return Seeder(context, error).run();
}

} // namespace orvix::server
