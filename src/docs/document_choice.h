#pragma once

#include <QString>

#include <optional>

namespace orvix {

// The local file a member picks for upload as a document: its full path, its file name, and its
// extension upper-cased. Files that a browser or the system would run (pages, scripts,
// programs) are refused (DocumentFile::isAccepted); the extension is compared after
// upper-casing, so "php3" is refused like "PHP3".
class DocumentChoice {
public:
    // The file-open chooser's filter and initial name.
    static inline const QString Filter =
        QStringLiteral("PDF(*.PDF)|*.PDF|PPTX(*.PPTX)|*.PPTX|XLSX(*.XLSX)|*.XLSX|HWP(*.HWP)|*.HWP|"
                       "DOCX(*.DOCX)|*.DOCX|ALL Files(*.*)|*.*||");
    static inline const QString InitialName = QStringLiteral("*.PDF");
    // Shown when a refused file is picked.
    static inline const QString RefusedMessage = QStringLiteral("문서 파일만 가능합니다.");

    // The choice for a picked path, or nothing when its extension is refused.
    static std::optional<DocumentChoice> fromPath(const QString& path);

    // The upper-cased extension of a path (DocumentFile::upperExtension). It names the file on
    // the server and goes into a form body, so an "&" in it becomes a blank.
    static QString extensionOf(const QString& path);

    const QString& localPath() const { return m_localPath; }
    const QString& fileName() const { return m_fileName; }
    const QString& extension() const { return m_extension; }

private:
    QString m_localPath;
    QString m_fileName;
    QString m_extension;
};

} // namespace orvix
