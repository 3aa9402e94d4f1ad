#pragma once

#include <QString>

namespace orvix::server {

class DocumentStore;
class ServerContext;

// The demo member's documents: two PDF files and a text file, uploaded into the member's
// document folder and registered in that order a few days apart, so the library shows both
// orders. Added only when the demo member has no document yet.
class DemoDocuments {
public:
    DemoDocuments(ServerContext& context, DocumentStore& documents);

    bool seed(QString* error);

private:
    ServerContext& m_context;
    DocumentStore& m_documents;
};

} // namespace orvix::server
