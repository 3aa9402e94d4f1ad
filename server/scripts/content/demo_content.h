#pragma once

#include <QString>

namespace orvix::server {

class RouteTable;
class ServerContext;
struct MemberRecord;

// The demo data of the content feature: the demo member's profile (a greeting, a photo, a text
// and a document) and the content of the demo member's store (a greeting, a photo and opening
// hours), registered and published as if the member had uploaded them from the editor.
//
// A document block and the HTML name the server by its address, which is known only once the
// HTTP port listens (the demo serves on a free port). So the seeded files are written again
// with the address the server answers under as soon as it serves, as long as the member has
// not replaced them with contents of their own.
class DemoContent {
public:
    explicit DemoContent(ServerContext& context);

    // Adds the contents that are missing.
    bool seed(QString* error);
    // Writes the seeded contents that are still in use again with the current address.
    bool refresh(QString* error);

    // Schedules refresh() for when the server's event loop runs; nothing happens when the
    // routes (and with them the server) are gone before that.
    static void refreshWhenServing(RouteTable& routes, ServerContext& context);

    // The name of the seeded profile's content file (without ".sml"), made as the editor
    // names a new content: login ID, member number and a time.
    static QString profileFileName(const MemberRecord& member);
    // The seeded store content keeps the name the editor gives a store's content.
    static QString storeFileName(const MemberRecord& member);

private:
    enum class Which { Profile, Store };
    bool add(const MemberRecord& member, Which which, QString* error);
    bool writeFiles(const MemberRecord& member, Which which, bool withPictures, QString* html,
                    QString* photoList, QString* error);
    QString address() const;

    ServerContext& m_context;
};

} // namespace orvix::server
