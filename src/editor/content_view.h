#pragma once

#include "app/upload_progress.h"
#include "editor/content_model.h"
#include "editor/content_painter.h"
#include "editor/content_upload.h"
#include "platform/message_target.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

namespace orvix {

class CProgressDlg;

// The editor's scrolling view: it draws the content's blocks one below the other, selects a
// block by mouse, offers "Image size" for a photo or document on a right click, carries out
// the edits the editor's buttons ask for, opens the member's and the store's contents from
// the server, builds the preview and runs the upload.
//
// The view works on the title box and the text box of its editor window: the title is read
// when the HTML is built and written when a content is loaded; a selected text block's text
// goes into the text box.
class CContentView : public QAbstractScrollArea, public MessageTarget, private ContentUpload::Host {
    Q_OBJECT
public:
    static constexpr int ExtentWidth = 510;
    static constexpr int ImageSizeCommand = 32814;
    static inline const QString NoTitleMessage = QStringLiteral("제목을 입려하지 않으셨습니다.");
    static inline const QString NotJpgMessage = QStringLiteral("JPG 파일만 가능합니다.");

    explicit CContentView(QWidget* parent = nullptr);
    ~CContentView() override;

    ContentModel& model() { return m_model; }
    const ContentModel& model() const { return m_model; }
    ContentUpload& upload() { return m_upload; }
    CProgressDlg* progressDialog() const { return m_progress; }

    void setTitleBox(QLineEdit* box) { m_titleBox = box; }
    void setTextBox(QPlainTextEdit* box) { m_textBox = box; }

    // The edits (each repaints). Text from the text box has "\n" line breaks; the content
    // keeps them as CR LF.
    void AddText(const QString& text);
    void AddPhoto(const QString& localPath, const QString& fileName);
    void AddDocument(const QString& fileName, const QString& address, const QString& extension,
                     const QString& comment);
    void ModifyText(const QString& text);
    void SetAlignment(int alignment);
    void SetFont(int size, bool bold, bool italic);
    void SetBackground(const QColor& colour);
    void SetTextColour(const QColor& colour);
    // Asks for the link in the web link dialog (only with a selection).
    void SetLink();
    // Asks for the size in the size dialog (a selected photo or document).
    void SetImageSize();
    void DeleteSelected();
    void MoveUp();
    void MoveDown();
    void MoveToFirst();
    void MoveToLast();

    // New: after asking, when the content was modified, whether it may be replaced; false when
    // the member keeps it.
    bool NewContent();
    // A new content for a post (no question), shown in the editor window.
    void StartNewPostContent(const QString& mailIndex);
    // The member's profile content and the store's content, from the server. When the
    // member's has none to download and the view holds a new, empty content, that content
    // becomes the member's profile content.
    void OpenMemberContent();
    void OpenStoreContent();

    // Builds the preview page into the working folder; false when there is no title (the
    // member is told) or the page cannot be written.
    bool BuildPreview();
    // Builds the export HTML; false when there is no title (the member is told).
    bool BuildExport();
    // Starts the upload; false when it did not start.
    bool Upload();

    // Whether the right-click menu offers "Image size", and its text in the member's language.
    bool offersImageSize() const;
    QString imageSizeText() const;

    // Upload notices and request replies of the upload chain.
    int onMessage(int message, WParam wParam, LParam lParam) override;

    // Content y of the top of the viewport.
    int scrollPosition() const;
    // The height drawn by the last paint.
    int drawnHeight() const { return m_drawnHeight; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // ContentUpload::Host
    bool buildExport() override { return BuildExport(); }
    void writeContentFile() override;
    void showMessage(const QString& text) override;
    void showProgress(qint64 total) override;
    void hideProgress() override;
    QObject* upload(const QString& folder, const QString& name, const QString& localPath) override;
    QObject* request(const QByteArray& script, const QString& body) override;
    void postRegistered() override;
    void requestPostList() override;
    QString deviceId() const override;
    QString workFolder() const override;
    qint32 now() const override;

    void startNew();
    // Runs the download dialog for a file of the member's mailbox; true when it loaded.
    bool openContent(const QString& file);
    // After a change of the list: the scroll extent from the list heights, and the view
    // scrolled to the end when the content is taller than the window.
    void appended();
    void setExtent(int height);
    void changed();
    QString titleText() const;

    ContentModel m_model;
    ContentPainter m_painter;
    ContentUpload m_upload;
    CProgressDlg* m_progress;
    UploadProgress m_uploadProgress;
    QPointer<QLineEdit> m_titleBox;
    QPointer<QPlainTextEdit> m_textBox;
    int m_extentHeight = 100;
    int m_drawnHeight = 0;
};

} // namespace orvix
