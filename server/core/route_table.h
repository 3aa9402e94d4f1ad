#pragma once

#include "server/http/form_body.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace orvix::server {

// What a form script receives: the body split as the client writes it (no percent-decoding)
// and the address it came from.
struct ScriptRequest {
    FormBody form;
    QHostAddress peer;
};

// What a form script answers: a text body, sent as UTF-8 with the reply framing the client
// reads. A script that could not do its work (the database failed) says so with status 500; the
// body is still framed as usual, so the client reads a defined answer.
struct ScriptReply {
    QString body;
    int status = 200;

    static ScriptReply text(const QString& body) { return {body, 200}; }
    static ScriptReply failure(const QString& body) { return {body, 500}; }
};

// What a web page receives. Browsers percent-encode what they send, so the query of the address
// and, for a form posted back to a page, the urlencoded body are decoded ("+" is a blank).
struct PageRequest {
    enum class Method { Get, Post };

    Method method = Method::Get;
    QList<QPair<QString, QString>> query;
    QList<QPair<QString, QString>> form; // empty for GET
    QHostAddress peer;

    // The first value of a name in the query, then in the posted form; empty when absent.
    QString value(QStringView name) const;
    bool has(QStringView name) const;

    // Decodes "a=1&b=x+y%21" into its pairs; malformed escapes are kept as they stand.
    static QList<QPair<QString, QString>> decodePairs(const QByteArray& encoded);
};

// What a web page answers: a whole HTML document (sent as UTF-8), or a redirect to another
// address of the site after a posted form.
struct PageReply {
    QString html;
    int status = 200;
    QString location; // set for a redirect (status 303)

    static PageReply page(const QString& html, int status = 200) { return {html, status, {}}; }
    static PageReply redirect(const QString& location) { return {{}, 303, location}; }
};

// Everything the HTTP side answers besides /image/: form scripts (POST, by path such as
// "/android/pclogin.php") and web pages (GET, and POST for forms on a page). Each feature adds
// its own routes when the server starts.
class RouteTable {
public:
    using Script = std::function<ScriptReply(const ScriptRequest&)>;
    using Page = std::function<PageReply(const PageRequest&)>;
    // The answer of a script that finishes later, called once on the server's thread (from
    // work on another thread through a queued call). Calling it after the client went away
    // does nothing.
    using ScriptResponder = std::function<void(const ScriptReply&)>;
    // A script whose work must not hold up the server's thread (the password check of a
    // login): it starts the work and answers through the responder when it is done. The
    // connection waits for that answer; the server goes on answering other connections.
    using DeferredScript = std::function<void(const ScriptRequest&, ScriptResponder)>;

    // Adds or replaces the script of a path.
    void addScript(const QString& path, Script script);
    void addDeferredScript(const QString& path, DeferredScript script);
    // Adds or replaces the page of a path. A page answers GET; with acceptsPost it also takes a
    // form posted to it.
    void addPage(const QString& path, Page page, bool acceptsPost = false);

    // The script or page of a path, or null.
    const Script* script(const QString& path) const;
    const DeferredScript* deferredScript(const QString& path) const;
    const Page* page(const QString& path) const;
    bool pageAcceptsPost(const QString& path) const;

    // Every path with a script or a page, sorted.
    QStringList paths() const;

private:
    struct PageRoute {
        Page page;
        bool acceptsPost = false;
    };

    QHash<QString, Script> m_scripts;
    QHash<QString, DeferredScript> m_deferredScripts;
    QHash<QString, PageRoute> m_pages;
};

} // namespace orvix::server
