#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;

namespace orvix::server {

// A file written whole or not at all: the bytes go to a new file in the staging folder, and
// commit() syncs it and renames it over the destination in one step (replacing a file of that
// name). A staged file that is never committed is removed when the object goes away.
class StagedFile {
public:
    explicit StagedFile(const QString& stagingDir);
    ~StagedFile();

    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool open(QString* error);
    bool write(const char* data, qint64 size);
    qint64 size() const { return m_written; }

    // Moves the file to destination, creating its folder when missing. The staging folder and
    // the destination must be on the same file system (both live in the data folder).
    bool commit(const QString& destination, QString* error);

    // Removes the staged file.
    void discard();

    // Writes bytes to destination through a staged file.
    static bool writeWhole(const QString& stagingDir, const QString& destination,
                           const QByteArray& bytes, QString* error);

private:
    QString m_stagingDir;
    std::unique_ptr<QFile> m_file;
    qint64 m_written = 0;
};

} // namespace orvix::server
