#include "server/scripts/content/demo_content.h"

#include "server/admin/member_photo.h"
#include "server/core/route_table.h"
#include "server/core/server_context.h"
#include "server/scripts/content/content_add_script.h"
#include "server/scripts/content/content_files.h"
#include "server/scripts/content/content_store.h"
#include "server/scripts/content/demo_pictures.h"
#include "server/storage/staged_file.h"

#include <QColor>
#include <QTimer>

#include <memory>

namespace orvix::server {

namespace {

const QString kDemoId = QStringLiteral("demo");
// 2026-01-01 00:00 UTC: the "time" part of the seeded names.
constexpr qint64 kSeedTime = 1767225600;

struct Block {
    enum class Kind { Text, Photo, Document } kind = Kind::Text;
    QString text; // text, or the document's file name
    int size = 16;
    bool bold = false;
    int alignment = 0;
    QColor background = Qt::white;
    QColor colour = Qt::black;
    QString address; // document
};

struct Definition {
    QString title;
    QList<Block> blocks;
    QImage photo;
};

QString alignmentWord(int alignment) {
    return alignment == 1   ? QStringLiteral("center")
           : alignment == 2 ? QStringLiteral("right")
                            : QStringLiteral("left");
}

QString colourFields(const QColor& c) {
    return QStringLiteral("%1<@>%2<@>%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString hexColour(const QColor& c) {
    return QStringLiteral("#%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'));
}

QString boolWord(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString photoName(const QString& fileName, qsizetype position) {
    return fileName + QString::number(position) + QStringLiteral(".jpg");
}

// The content file and the export HTML of a definition, as the editor writes them.
void build(const Definition& definition, const QString& fileName, const QString& folder,
           const QString& address, QByteArray* sml, QString* html) {
    QString text = QStringLiteral("orvix</>%1</>%2</>%3")
                       .arg(fileName)
                       .arg(definition.blocks.size())
                       .arg(definition.title);
    html->clear();
    for (qsizetype i = 0; i < definition.blocks.size(); ++i) {
        const Block& b = definition.blocks[i];
        const QString align = alignmentWord(b.alignment);
        switch (b.kind) {
        case Block::Kind::Text:
            text +=
                QStringLiteral("</>1<@>%1<@>%2<@>%3<@>false<@>%4<@>%5<@>%6<@>0<@>%7")
                    .arg(i)
                    .arg(b.size)
                    .arg(boolWord(b.bold), colourFields(b.background), colourFields(b.colour))
                    .arg(b.alignment)
                    .arg(QString(b.text).replace(QStringLiteral("\r\n"), QStringLiteral("<br>")));
            *html +=
                QStringLiteral("<p style='font-size:%1px;background-color:%2;color:%3;"
                               "text-align:%4;font-style:normal;font-weight:%5;'>%6</p>\n")
                    .arg(b.size)
                    .arg(hexColour(b.background), hexColour(b.colour), align,
                         b.bold ? QStringLiteral("bold") : QStringLiteral("normal"),
                         QString(b.text).replace(QStringLiteral("\r\n"), QStringLiteral("<br>")));
            break;
        case Block::Kind::Photo: {
            const QString name = photoName(fileName, i);
            text +=
                QStringLiteral("</>2<@>%1<@>%2<@>100<@>%3<@>0").arg(i).arg(name).arg(b.alignment);
            *html += QStringLiteral(
                         "<a href='javascript:viewinfo(\"photoview</>http://%1/image/%2/%3\")'>"
                         "<p style='text-align:%4'><image width='100%' "
                         "src='http://%1/image/%2/%3'></p></a>")
                         .arg(address, folder, name, align);
            break;
        }
        case Block::Kind::Document:
            text += QStringLiteral("</>8<@>%1<@>%2<@>false<@>false<@>255<@>255<@>255<@>0<@>0<@>0"
                                   "<@>%3<@>0<@>%4<@>%5")
                        .arg(i)
                        .arg(b.size)
                        .arg(b.alignment)
                        .arg(b.address, b.text);
            *html += QStringLiteral("<a href='javascript:viewinfo(\"navigate</>%1</>\")'>"
                                    "<p style='font-size:%2px;background-color:#ffffff;"
                                    "color:#000000;text-align:%3;font-style:normal;"
                                    "font-weight:normal;'>%4<image "
                                    "src='http://%5/android/image/icon_txtview.png'></p></a>")
                         .arg(b.address)
                         .arg(b.size)
                         .arg(align, b.text, address);
            break;
        }
    }
    *sml = text.toUtf8();
}

QString documentName(const MemberRecord& member) {
    return QStringLiteral("%1%2.PDF").arg(member.memberNo).arg(kSeedTime);
}

Definition definitionOf(const MemberRecord& member, bool profile, const QString& address) {
    Definition d;
    if (profile) {
        d.title = QStringLiteral("%1의 소개").arg(member.name);
        Block greeting;
        greeting.text = QStringLiteral("안녕하세요, %1입니다!").arg(member.name);
        greeting.size = 24;
        greeting.bold = true;
        greeting.alignment = 1;
        greeting.background = QColor(235, 243, 252);
        greeting.colour = QColor(29, 79, 145);
        Block photo;
        photo.kind = Block::Kind::Photo;
        photo.alignment = 1;
        Block about;
        about.text = QStringLiteral("Orvix 데스크톱의 스마트에디터로 만든 소개 페이지입니다.\r\n"
                                    "글, 사진, 문서를 블록으로 쌓아 올릴 수 있어요.");
        Block document;
        document.kind = Block::Kind::Document;
        document.text = QStringLiteral("orvix-guide.pdf");
        document.size = 24;
        document.address = QStringLiteral("http://%1/image/document/%2/%3")
                               .arg(address)
                               .arg(member.memberNo)
                               .arg(documentName(member));
        d.blocks = {greeting, photo, about, document};
        d.photo = DemoPictures::landscape();
    } else {
        d.title = QStringLiteral("%1 카페").arg(member.name);
        Block greeting;
        greeting.text = QStringLiteral("%1 카페에 오신 것을 환영합니다").arg(member.name);
        greeting.size = 20;
        greeting.bold = true;
        greeting.alignment = 1;
        greeting.background = QColor(255, 244, 230);
        greeting.colour = QColor(120, 70, 30);
        Block photo;
        photo.kind = Block::Kind::Photo;
        photo.alignment = 1;
        Block hours;
        hours.text = QStringLiteral("매일 아침 8시부터 밤 10시까지 문을 엽니다.\r\n"
                                    "전화 02-123-4567");
        d.blocks = {greeting, photo, hours};
        d.photo = DemoPictures::coffee();
    }
    return d;
}

} // namespace

DemoContent::DemoContent(ServerContext& context)
    : m_context(context) {}

QString DemoContent::profileFileName(const MemberRecord& member) {
    return QStringLiteral("%1%2%3").arg(member.loginId).arg(member.memberNo).arg(kSeedTime);
}

QString DemoContent::storeFileName(const MemberRecord& member) {
    return ContentFiles::storeName(member.storeNo).chopped(4); // without ".sml"
}

QString DemoContent::address() const {
    const ServerConfig& config = m_context.config();
    if (!config.publicAddress.isEmpty())
        return config.publicAddress;
    return QStringLiteral("127.0.0.1:%1").arg(config.httpPort);
}

bool DemoContent::writeFiles(const MemberRecord& member, Which which, bool withPictures,
                             QString* html, QString* photoList, QString* error) {
    const bool profile = which == Which::Profile;
    const QString fileName = profile ? profileFileName(member) : storeFileName(member);
    const Definition definition = definitionOf(member, profile, address());
    const ContentFiles files(m_context.folder());
    const QString staging = m_context.folder().stagingDir();

    QByteArray sml;
    build(definition, fileName, ContentFiles::mailboxFolder(member.memberNo), address(), &sml,
          html);
    photoList->clear();
    for (qsizetype i = 0; i < definition.blocks.size(); ++i) {
        if (definition.blocks[i].kind != Block::Kind::Photo)
            continue;
        const QString name = photoName(fileName, i);
        const QByteArray jpeg = MemberPhoto::encode(definition.photo);
        *photoList += (photoList->isEmpty() ? QString() : QStringLiteral(",")) + name + u'=' +
                      QString::number(jpeg.size());
        if (withPictures &&
            !StagedFile::writeWhole(staging, files.pathOf(member.memberNo, name), jpeg, error))
            return false;
    }
    if (withPictures && profile) {
        const QString pdf = m_context.folder().imageRoot() +
                            QStringLiteral("/document/%1/").arg(member.memberNo) +
                            documentName(member);
        if (!StagedFile::writeWhole(staging, pdf, DemoPictures::guidePdf(), error))
            return false;
    }
    return StagedFile::writeWhole(
        staging, files.pathOf(member.memberNo, fileName + QStringLiteral(".sml")), sml, error);
}

bool DemoContent::add(const MemberRecord& member, Which which, QString* error) {
    const bool profile = which == Which::Profile;
    ContentStore contents(m_context.database());
    bool failed = false;
    const auto existing = profile ? contents.profileOf(member.memberNo, &failed)
                                  : contents.storeContentOf(member.storeNo, &failed);
    if (failed) {
        if (error)
            *error = m_context.database().lastError();
        return false;
    }
    if (existing)
        return true;

    ContentRecord content;
    content.memberNo = member.memberNo;
    content.style = QStringLiteral("replayinfo");
    content.fileName = profile ? profileFileName(member) : storeFileName(member);
    content.title = definitionOf(member, profile, address()).title;
    content.clientTime = kSeedTime;
    if (!writeFiles(member, which, true, &content.html, &content.imageFiles, error))
        return false;
    const auto number = contents.add(content);
    const bool recorded = number && (profile ? contents.setProfile(member.memberNo, *number)
                                             : contents.setStoreContent(member.storeNo, *number));
    if (!recorded) {
        if (error)
            *error = m_context.database().lastError();
        return false;
    }
    const QString published = profile ? ContentFiles::profileName(member.memberNo)
                                      : ContentFiles::storeName(member.storeNo);
    return ContentFiles(m_context.folder())
        .publish(member.memberNo, content.fileName, published, error);
}

bool DemoContent::seed(QString* error) {
    bool failed = false;
    const auto member = m_context.members().findByLoginId(kDemoId, &failed);
    if (failed) {
        if (error)
            *error = m_context.database().lastError();
        return false;
    }
    if (!member)
        return true;
    return add(*member, Which::Profile, error) && add(*member, Which::Store, error);
}

bool DemoContent::refresh(QString* error) {
    const auto member = m_context.members().findByLoginId(kDemoId);
    if (!member)
        return true;
    ContentStore contents(m_context.database());
    for (Which which : {Which::Profile, Which::Store}) {
        const bool profile = which == Which::Profile;
        const auto number = profile ? contents.profileOf(member->memberNo)
                                    : contents.storeContentOf(member->storeNo);
        const auto content = number ? contents.find(*number) : std::nullopt;
        const QString seededName = profile ? profileFileName(*member) : storeFileName(*member);
        // The member's own upload of the same file name replaced what was seeded.
        if (!content || content->fileName != seededName || content->clientTime != kSeedTime)
            continue;
        QString html;
        QString photoList;
        if (!writeFiles(*member, which, false, &html, &photoList, error) ||
            !contents.updateHtml(content->contentNo, html))
            return false;
    }
    return true;
}

void DemoContent::refreshWhenServing(RouteTable& routes, ServerContext& context) {
    // The guard lives as long as the route that holds it, and a timer whose context object is
    // gone never fires.
    auto guard = std::make_shared<QObject>();
    QTimer::singleShot(0, guard.get(), [&context] {
        QString error;
        if (!DemoContent(context).refresh(&error))
            qWarning("orvix-server: demo contents not refreshed: %s", qPrintable(error));
    });
    routes.addScript(QStringLiteral("/android/contentadd_new.php"),
                     [script = ContentAddScript(context), guard](const ScriptRequest& request) {
                         return script(request);
                     });
}

} // namespace orvix::server
