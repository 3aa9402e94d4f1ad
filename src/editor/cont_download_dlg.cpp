#include "editor/cont_download_dlg.h"

#include "app/orvix_win_app.h"
#include "editor/content_model.h"
#include "editor/content_names.h"
#include "editor/sml_reader.h"
#include "net/url_download.h"
#include "platform/environment.h"
#include "platform/ui_services.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>

namespace orvix {

namespace {

const QString kWait = QStringLiteral("컨턴트 파일을 다운 받습니다. 잠시 기다리십시오.");
const QString kDownloading = QStringLiteral("컨턴트 파일을 다운 받습니다.");
const QString kNoContent = QStringLiteral("작성된 정보가 없습니다. 새로 만듭니다.");
const QString kSkipped = QStringLiteral(
    "스마트폰에서 작성한 데이터입니다. PC에서 로드 할수 없는 동영상,음성 등의 정보가 있습니다. "
    "해당 정보를 무시하고 로드 하였습니다.");

QString blockStatus(const QString& kind, const QString& index) {
    if (kind == u"1")
        return QStringLiteral("텍스트 %1 데이터를 받습니다.").arg(index);
    if (kind == u"2")
        return QStringLiteral("그림 %1 데이터를 받습니다.").arg(index);
    if (kind == u"8")
        return QStringLiteral("문서 %1 데이터를 받습니다.").arg(index);
    return QString();
}

void tell(QWidget* parent, const QString& text) {
    COrvixWinApp::current().ui().messageBox(parent, COrvixWinApp::ApplicationTitle, text);
}

} // namespace

DialogTemplate CContDownloadDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("컨텐트 다운로드");
    dialog.size = QSize(220, 44);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {StatusId, ControlKind::Edit, QRect(7, 7, 206, 12), QString(), ControlStyle::ReadOnly},
        {BarId, ControlKind::ProgressBar, QRect(7, 25, 206, 12), QString()},
    };
    return dialog;
}

CContDownloadDlg::CContDownloadDlg(const QString& host, const QString& fileName, int mailboxNumber,
                                   ContentModel& model, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_host(host)
    , m_fileName(fileName)
    , m_folder(ContentNames::mailboxFolder(mailboxNumber))
    , m_mailboxNumber(mailboxNumber)
    , m_model(model)
    , m_status(control<QLineEdit>(StatusId))
    , m_bar(control<QProgressBar>(BarId))
    , m_download([](const QString& address, const QString& path) {
        return UrlDownload(DownloadTimeout).run(address, path) == 1;
    }) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(StartDelay);
    connect(&m_timer, &QTimer::timeout, this, &CContDownloadDlg::run);
}

void CContDownloadDlg::showEvent(QShowEvent* event) {
    TemplateDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_status->setText(kWait);
    m_timer.start();
}

int CContDownloadDlg::onMessage(int message, WParam wParam, LParam) {
    switch (message) {
    case Msg::DownloadPosition:
        m_bar->setValue(int(wParam));
        return 1;
    case Msg::DownloadStatus:
        m_status->setText(m_statusText);
        m_status->repaint(); // the work holds the window thread: show it now
        return 1;
    case Msg::DownloadRange:
        m_bar->setRange(0, int(wParam & 0xffff));
        return 1;
    default:
        return 0;
    }
}

void CContDownloadDlg::setStatus(const QString& text) {
    m_statusText = text;
    sendMessage(this, Msg::DownloadStatus);
}

void CContDownloadDlg::run() {
    const QString workFolder = COrvixWinApp::current().session().workFolder;
    const QString address =
        QStringLiteral("http://%1/image/%2/%3").arg(m_host, m_folder, m_fileName);
    const QString localPath = workFolder + u'/' + m_fileName;
    setStatus(kDownloading);
    if (!m_download(address, localPath)) {
        endDialog(2);
        return;
    }

    // Photos come from the same folder. Once the server has let one download run out of time,
    // the others are not tried: the dialog would otherwise hold the window for every photo.
    bool serverSilent = false;
    const auto fetchPhoto = [&](const QString& name, const QString& path) {
        if (serverSilent)
            return false;
        QElapsedTimer timer;
        timer.start();
        const bool fetched =
            m_download(QStringLiteral("http://%1/image/%2/%3").arg(m_host, m_folder, name), path);
        serverSilent = !fetched && timer.elapsed() >= DownloadTimeout.count();
        return fetched;
    };
    SmlReader::Progress progress;
    progress.blockCount = [this](int count) {
        m_bar->setRange(0, count & 0xffff);
        sendMessage(this, Msg::DownloadRange, count);
        m_bar->setValue(0);
    };
    progress.blockStarted = [this](const QString& kind, const QString& index) {
        const QString text = blockStatus(kind, index);
        if (!text.isEmpty())
            setStatus(text);
    };
    progress.handled = [this](int handled) { sendMessage(this, Msg::DownloadPosition, handled); };
    SmlReader::Result result = SmlReader(workFolder, fetchPhoto).readFile(localPath, progress);
    if (!result.recognised) {
        tell(this, kNoContent);
        endDialog(2);
        return;
    }
    if (result.skippedUnknown)
        tell(this, kSkipped);

    // A file name that could name no file here or on the server gets a new one.
    QString fileName = ContentNames::usableFileName(result.fileName);
    if (fileName.isEmpty())
        fileName =
            ContentNames::newFileName(COrvixWinApp::current().session().memberId, m_mailboxNumber,
                                      COrvixWinApp::current().environment().currentTimeSeconds());
    m_model.fileName = fileName;
    m_model.folder = m_folder;
    m_model.title = result.title;
    m_model.replaceBlocks(std::move(result.blocks));
    endDialog(1);
}

} // namespace orvix
