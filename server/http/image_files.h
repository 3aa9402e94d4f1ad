#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;

namespace orvix::server {

// The files under the image tree as /image/ serves them.
class ImageFiles {
public:
    explicit ImageFiles(QString imageRoot);

    // The open file for a relative address ("memberphoto/mem1.jpg"), or null when the address
    // is not acceptable or names no readable plain file inside the tree.
    std::unique_ptr<QFile> open(const QString& relative) const;

    // The Content-Type for a file name, by its extension.
    static QByteArray contentType(const QString& fileName);

private:
    QString m_imageRoot;
};

} // namespace orvix::server
