#include "docs/document_dlg.h"

#include "app/orvix_win_app.h"
#include "app/progress_dlg.h"
#include "docs/document_file.h"
#include "docs/document_registration.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_notice.h"
#include "platform/environment.h"
#include "platform/ui_services.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <limits>

namespace orvix {

DialogTemplate CDocumentDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("문서설정");
    dialog.size = QSize(268, 107);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    using K = ControlKind;
    dialog.controls = {
        {FileNameEdit, K::Edit, QRect(7, 14, 182, 14), {}},
        {ChooseFileButton, K::Button, QRect(195, 15, 50, 14), QStringLiteral("파일선택")},
        {DescriptionLabel, K::Static, QRect(7, 37, 40, 8), QStringLiteral("콘텐트 설명")},
        {DescriptionEdit,
         K::Edit,
         QRect(7, 49, 241, 28),
         {},
         ControlStyle::MultiLine | ControlStyle::VScroll},
        {1, K::DefaultButton, QRect(75, 80, 50, 14), QStringLiteral("확인")},
        {2, K::Button, QRect(135, 80, 50, 14), QStringLiteral("취소")},
    };
    return dialog;
}

CDocumentDlg::CDocumentDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_strip(new CProgressDlg(this))
    , m_progress(*m_strip, [this](COrviUpload*) { OnUploadFinished(); }) {
    connect(control<QPushButton>(ChooseFileButton), &QPushButton::clicked, this,
            &CDocumentDlg::OnChooseFile);
    // The strip is wider than this dialog: it lies across the top of it, as wide as the
    // dialog, while an upload runs.
    m_strip->setGeometry(0, 0, width(), m_strip->height());
    if (auto* bar = m_strip->control<QProgressBar>(CProgressDlg::BarId))
        bar->setGeometry(bar->x(), bar->y(), width() - 2 * bar->x(), bar->height());
}

CDocumentDlg::~CDocumentDlg() {
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
}

void CDocumentDlg::tell(const QString& text) {
    COrvixWinApp::current().ui().messageBox(this, COrvixWinApp::ApplicationTitle, text);
}

void CDocumentDlg::OnChooseFile() {
    const FileOpenRequest request{DocumentChoice::Filter, DocumentChoice::InitialName, false};
    const QStringList files = COrvixWinApp::current().ui().chooseFiles(this, request);
    if (files.isEmpty())
        return;
    auto picked = DocumentChoice::fromPath(files.first());
    if (!picked) {
        tell(DocumentChoice::RefusedMessage);
        return;
    }
    m_choice = std::move(picked);
    control<QLineEdit>(FileNameEdit)->setText(m_choice->fileName());
}

void CDocumentDlg::endBusy() {
    m_busy = false;
    m_progress.end();
    if (m_waitCursor) {
        QApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
}

void CDocumentDlg::onOk() {
    if (m_busy)
        return;
    m_busy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_waitCursor = true;

    COrvixWinApp& app = COrvixWinApp::current();
    const SessionRecord& session = app.session();
    m_fileName = control<QLineEdit>(FileNameEdit)->text();
    m_description = control<QPlainTextEdit>(DescriptionEdit)->toPlainText();
    m_extension = m_choice ? m_choice->extension() : QString();
    m_targetName = DocumentFile::targetName(
        session.memberNumber,
        static_cast<qint32>(app.environment().currentDateTime().toSecsSinceEpoch()), m_extension);
    m_targetFolder = DocumentFile::targetFolder(session.memberNumber);

    // The file is opened only to learn its size. Without a readable file nothing is sent, and
    // the member hears why instead of facing a dialog that no longer answers OK.
    QFile file(m_choice ? m_choice->localPath() : QString());
    if (!m_choice || !file.open(QIODevice::ReadOnly)) {
        endBusy();
        tell(UnreadableMessage);
        return;
    }
    file.close();
    m_progress.begin();

    COrviUpload* upload =
        app.startUpload(m_targetFolder, m_targetName, m_choice->localPath(), this);
    // An upload releases itself after its last notice, or without one when it breaks off
    // (no connection, a peer that stops taking data, a file that shrank).
    connect(upload, &QObject::destroyed, this, [this] {
        if (m_busy && !m_registering)
            OnLost(UploadFailedMessage);
    });
}

int CDocumentDlg::onMessage(int message, WParam wParam, LParam lParam) {
    if (m_progress.onMessage(message, wParam, lParam))
        return 1;
    if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
        OnReply(reply->text());
        return 1;
    }
    return 0;
}

void CDocumentDlg::OnUploadFinished() {
    COrvixWinApp& app = COrvixWinApp::current();
    const SessionRecord& session = app.session();
    m_fileAddress =
        DocumentRegistration::fileAddress(session.imageServerAddress, m_targetFolder, m_targetName);
    m_registering = true;
    COrviHttp* request =
        app.sendRequest(DocumentRegistration::Script,
                        DocumentRegistration::body(session.deviceId, m_fileAddress, m_description,
                                                   m_extension, m_fileName),
                        this);
    // A request releases itself after its reply, or without one when the server never answers.
    connect(request, &QObject::destroyed, this, [this] {
        if (m_registering)
            OnLost(DocumentRegistration::message(DocumentRegistration::Outcome::SendError));
    });
}

void CDocumentDlg::OnLost(const QString& message) {
    m_registering = false;
    endBusy();
    tell(message);
}

void CDocumentDlg::OnReply(const QString& text) {
    if (!m_registering)
        return;
    m_registering = false;
    endBusy();
    const auto outcome = DocumentRegistration::outcomeOf(text);
    const QString message = DocumentRegistration::message(outcome);
    if (!message.isEmpty())
        tell(message);
    if (outcome == DocumentRegistration::Outcome::Uploaded ||
        outcome == DocumentRegistration::Outcome::Overwritten)
        endDialog(DialogResult::Ok);
}

} // namespace orvix
