#include "server/pages/board/post_page.h"

#include "server/core/html.h"
#include "server/core/server_context.h"
#include "server/pages/board/opinion_file.h"
#include "server/pages/board/stored_html.h"
#include "server/scripts/board/board_caller.h"
#include "server/scripts/board/post_document_script.h"
#include "server/storage/image_path.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace orvix::server {

namespace {

// An opinion file is a few hundred bytes; anything far larger is not one.
constexpr qint64 kLargestOpinionFile = 64 * 1024;

const QString kBoardStyle = QStringLiteral(
    "<style>.post .meta{margin-bottom:8px}.entry .meta{margin-bottom:4px}"
    ".opinion{margin:0;padding:6px 8px;border-radius:4px;white-space:normal;"
    "overflow-wrap:anywhere}"
    ".badge{display:inline-block;background:#d33;color:#fff;border-radius:3px;"
    "padding:0 5px;font-size:.8em;margin-left:6px}"
    ".doc{padding:4px 0}.doc .comment{color:#555;margin-top:2px}"
    ".ext{display:inline-block;min-width:2.4em;text-align:center;border:1px solid #9bb0cc;"
    "border-radius:3px;color:#1d4f91;background:#eef3fa;font-size:.75em;font-weight:bold;"
    "margin-right:6px;padding:0 3px}"
    ".photo img{max-width:100%;border-radius:4px}.kind{color:#1d4f91;font-weight:bold}</style>\n");

// The bytes of a regular file that is not a symbolic link and holds at most `limit` bytes:
// one open, one status and one read, on the file that was checked.
std::optional<QByteArray> readPlainFile(const QString& path, qint64 limit) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= limit) {
        QByteArray data(qsizetype(status.st_size), Qt::Uninitialized);
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, size_t(data.size() - done));
            if (got <= 0)
                break;
            done += got;
        }
        data.truncate(done);
        bytes = std::move(data);
    }
    ::close(fd);
    return bytes;
}

QString kindLabel(PostEntry::Kind kind) {
    switch (kind) {
    case PostEntry::Kind::Opinion:
        return QStringLiteral("Opinion");
    case PostEntry::Kind::Photo:
        return QStringLiteral("Photo");
    case PostEntry::Kind::Document:
        return QStringLiteral("Document");
    case PostEntry::Kind::Content:
        return QStringLiteral("Content");
    }
    return {};
}

QString plural(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

PostPage::PostPage(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

QString PostPage::address(const QString& deviceId, qint64 mailIdx) {
    return QStringLiteral("%1?deviceid=%2&mailidx=%3")
        .arg(kPath, Html::queryValue(deviceId))
        .arg(mailIdx);
}

QString PostPage::dateText(qint64 secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
           QStringLiteral(" UTC");
}

PageReply PostPage::notice(int status, const QString& title, const QString& text) {
    return PageReply::page(
        Html::page(title, QStringLiteral("<div class=\"card\"><p class=\"empty\">%1</p></div>")
                              .arg(Html::escape(text))),
        status);
}

PageReply PostPage::operator()(const PageRequest& request) const {
    const QString title = QStringLiteral("Orvix Square");
    const auto member = m_context.pcAccess().sessionMember(request.value(u"deviceid"));
    if (!member) {
        return notice(403, title,
                      QStringLiteral("This page is shown to members signed in on their PC. "
                                     "Sign in again to see the post."));
    }
    const auto mailIdx = BoardCaller::mailIndexOf(request.value(u"mailidx"));
    bool failed = false;
    const auto post = mailIdx ? m_store->post(*mailIdx, &failed) : std::nullopt;
    if (failed)
        return notice(500, title, QStringLiteral("The board cannot be read just now."));
    if (!post)
        return notice(404, title, QStringLiteral("There is no such post on the board."));
    const auto entries = m_store->entries(post->mailIdx);
    const int members = m_store->memberCount(post->mailIdx, &failed);
    if (!entries || failed)
        return notice(500, title, QStringLiteral("The board cannot be read just now."));
    int opinions = 0;
    for (const PostEntry& entry : *entries)
        opinions += entry.kind == PostEntry::Kind::Opinion ? 1 : 0;

    QString body = kBoardStyle;
    body += QStringLiteral("<div class=\"card post\"><div class=\"meta\">Owner: <b>%1</b> · %2 · "
                           "%3 · %4</div>\n")
                .arg(Html::escape(post->ownerName), dateText(post->createdAt),
                     plural(opinions, "opinion", "opinions"), plural(members, "member", "members"));
    if (post->photoName != QLatin1String("0")) {
        const QString photo = StoredHtml::safeAddress(
            QStringLiteral("/image/%1/%2")
                .arg(BoardStore::mailboxFolder(post->mailboxNo), post->photoName),
            false);
        if (!photo.isEmpty())
            body += QStringLiteral("<div class=\"photo\"><img src=\"%1\" alt=\"\"></div>\n")
                        .arg(Html::escape(photo));
    }
    if (post->contentNo) {
        const auto content = m_store->contents().find(*post->contentNo, &failed);
        if (content)
            body += StoredHtml::render(content->html) + u'\n';
    }
    body += QStringLiteral("</div>\n");

    if (entries->isEmpty()) {
        body += QStringLiteral("<p class=\"empty\">No opinions yet. Be the first to write one."
                               "</p>\n");
    }
    Folders folders;
    // Newest first: what was just added is what the member sees when the page loads again.
    for (auto entry = entries->crbegin(); entry != entries->crend(); ++entry) {
        body += QStringLiteral("<div class=\"card entry %1\" id=\"entry%2\"><div class=\"meta\">"
                               "<span class=\"kind\">%3</span> · <b>%4</b> · %5</div>\n%6</div>\n")
                    .arg(BoardStore::kindName(entry->kind))
                    .arg(entry->entryNo)
                    .arg(kindLabel(entry->kind), Html::escape(entry->memberName),
                         dateText(entry->createdAt), entryHtml(*entry, folders));
    }
    return PageReply::page(Html::page(post->title, body));
}

QString PostPage::entryHtml(const PostEntry& entry, Folders& folders) const {
    switch (entry.kind) {
    case PostEntry::Kind::Opinion:
        return opinionHtml(entry, folders);
    case PostEntry::Kind::Photo: {
        const QString photo = StoredHtml::safeAddress(QLatin1String("/image/") + entry.body, false);
        if (photo.isEmpty())
            return QStringLiteral("<p class=\"empty\">(photo not available)</p>");
        return QStringLiteral("<div class=\"photo\"><a href=\"%1\"><img src=\"%1\" alt=\"\"></a>"
                              "</div>")
            .arg(Html::escape(photo));
    }
    case PostEntry::Kind::Document: {
        const auto document = PostDocumentScript::split(entry.body);
        const QString link = StoredHtml::safeAddress(document.address, false);
        QString name = document.fileName.trimmed();
        if (name.isEmpty())
            name = document.address;
        // A small label with the document's kind ("PDF", "DOCX") before its name.
        QString kind = QFileInfo(name).suffix().left(5).toUpper();
        if (kind.isEmpty())
            kind = QStringLiteral("DOC");
        const QString label =
            QStringLiteral("<span class=\"ext\">%1</span>").arg(Html::escape(kind));
        QString html =
            link.isEmpty()
                ? QStringLiteral("<div class=\"doc\">%1%2").arg(label, Html::escape(name))
                : QStringLiteral("<div class=\"doc\">%1<a href=\"%2\">%3</a>")
                      .arg(label, Html::escape(link), Html::escape(name));
        if (!document.comment.trimmed().isEmpty())
            html += QStringLiteral("<div class=\"comment\">%1</div>")
                        .arg(Html::escape(document.comment));
        return html + QStringLiteral("</div>");
    }
    case PostEntry::Kind::Content:
        if (!entry.content)
            return QStringLiteral("<p class=\"empty\">(content removed)</p>");
        return (entry.content->title.isEmpty() || entry.content->title == QLatin1String("0")
                    ? QString()
                    : QStringLiteral("<h2>%1</h2>").arg(Html::escape(entry.content->title))) +
               StoredHtml::render(entry.content->html);
    }
    return {};
}

QString PostPage::opinionHtml(const PostEntry& entry, Folders& folders) const {
    if (!entry.content)
        return QStringLiteral("<p class=\"empty\">(opinion removed)</p>");
    const ContentRecord& content = *entry.content;
    auto folder = folders.find(content.memberNo);
    if (folder == folders.end()) {
        // The folder is resolved once (links and all) and must lie inside the image tree.
        const QString root = QFileInfo(m_context.folder().imageRoot()).canonicalFilePath();
        const QString path = QFileInfo(m_context.folder().imageRoot() + u'/' +
                                       BoardStore::mailboxFolder(content.memberNo))
                                 .canonicalFilePath();
        const bool inside = !root.isEmpty() && path.startsWith(root + u'/');
        folder = folders.insert(content.memberNo, inside ? path : QString());
    }
    // The opinion's style file lies in the writer's mailbox folder, named after the opinion; a
    // link there is not followed.
    const QString fileName = content.fileName + QStringLiteral(".tml");
    if (!folder->isEmpty() && !content.fileName.isEmpty() && ImagePath::isSafePiece(fileName)) {
        if (const auto bytes = readPlainFile(*folder + u'/' + fileName, kLargestOpinionFile)) {
            if (const auto opinion = OpinionFile::parse(*bytes))
                return opinion->html();
        }
    }
    return StoredHtml::render(content.html);
}

} // namespace orvix::server
