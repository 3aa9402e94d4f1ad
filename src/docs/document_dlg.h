#pragma once

#include "app/upload_progress.h"
#include "docs/document_choice.h"
#include "platform/message_target.h"
#include "platform/template_dialog.h"

#include <optional>

namespace orvix {

class CProgressDlg;

// The document registration dialog ("문서설정"): the member picks a local document and types a
// description; OK uploads the file into the member's document folder on the image server,
// following it on an embedded progress strip, then registers it with
// "/android/adddocument.php". A registered document ends the dialog with OK; the caller then
// reads what was registered (file name, web address, extension, description).
//
// OK does nothing while an upload is under way (the busy flag). A file that cannot be opened, a
// refused registration, an upload that breaks off and a reply that says nothing known all end
// the busy state with a word to the member (the last one silently), so OK can be tried again.
class CDocumentDlg : public TemplateDialog, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int ResourceId = 194;
    enum ControlId {
        FileNameEdit = 1065,
        ChooseFileButton = 1066,
        DescriptionEdit = 1067,
        DescriptionLabel = 1068,
    };
    // Shown when the chosen file cannot be read.
    static inline const QString UnreadableMessage = QStringLiteral("문서 파일을 열 수 없습니다.");
    // Shown when the upload breaks off before the whole file reached the server.
    static inline const QString UploadFailedMessage =
        QStringLiteral("파일을 서버에 보내지 못했습니다.");

    explicit CDocumentDlg(QWidget* parent = nullptr);
    ~CDocumentDlg() override;

    // The "choose file" button.
    void OnChooseFile();

    // Upload notices and the registration reply.
    int onMessage(int message, WParam wParam, LParam lParam) override;

    bool isBusy() const { return m_busy; }
    const std::optional<DocumentChoice>& choice() const { return m_choice; }
    // What the last upload used and registered: valid once the dialog has ended with OK.
    const QString& targetName() const { return m_targetName; }
    const QString& targetFolder() const { return m_targetFolder; }
    const QString& fileAddress() const { return m_fileAddress; }
    const QString& fileName() const { return m_fileName; }
    const QString& extension() const { return m_extension; }
    const QString& description() const { return m_description; }
    CProgressDlg* progress() const { return m_strip; }

    static DialogTemplate dialogTemplate();

protected:
    void onOk() override;

private:
    void OnUploadFinished();
    void OnReply(const QString& text);
    // The upload or the registration went away without its last word.
    void OnLost(const QString& message);
    void endBusy();
    void tell(const QString& text);

    std::optional<DocumentChoice> m_choice;
    QString m_fileName;
    QString m_extension;
    QString m_targetName;
    QString m_targetFolder;
    QString m_fileAddress;
    QString m_description;
    bool m_busy = false;
    bool m_registering = false; // the file is on the server; its registration is awaited
    bool m_waitCursor = false;
    CProgressDlg* m_strip;
    UploadProgress m_progress;
};

} // namespace orvix
