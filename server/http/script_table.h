#pragma once

#include "server/http/form_body.h"

#include <QHash>
#include <QHostAddress>
#include <QString>

#include <functional>

namespace orvix::server {

// What a form script receives.
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

// The form scripts that the server answers, by path ("/android/pclogin.php").
class ScriptTable {
public:
    using Handler = std::function<ScriptReply(const ScriptRequest&)>;

    // Adds or replaces the handler of a path.
    void add(const QString& path, Handler handler);

    // The handler of a path, or null.
    const Handler* find(const QString& path) const;

    QStringList paths() const;

private:
    QHash<QString, Handler> m_handlers;
};

} // namespace orvix::server
