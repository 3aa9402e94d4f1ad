#pragma once

#include <QString>

namespace orvix::server {

class ServerContext;

// The demo data that "serve --demo" adds: members with photos (the member "demo" with the
// password "demo1234" among them). Seeding is a list of steps, each of which adds only what is
// missing, so a demo folder can be served with --demo again and again, and a later step
// (rooms, posts, contents) is one more method in the list.
class DemoSeeder {
public:
    explicit DemoSeeder(ServerContext& context);

    bool seed(QString* error);

    static inline const QString kDemoId = QStringLiteral("demo");
    static inline const QString kDemoPassword = QStringLiteral("demo1234");

private:
    bool seedMembers(QString* error);

    ServerContext& m_context;
};

} // namespace orvix::server
