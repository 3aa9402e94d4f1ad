#pragma once

#include "platform/message_target.h"
#include "platform/template_dialog.h"

#include <QTimer>

#include <chrono>
#include <functional>

class QLineEdit;
class QProgressBar;

namespace orvix {

class ContentModel;

// "컨텐트 다운로드": fetches a content file from the image server with its photos and loads it
// into the editor's content, showing a status line and a bar of blocks read. The work starts
// half a second after the dialog opens and runs on the window thread; the dialog ends with OK
// when a content was loaded and with Cancel when the download failed or the file was no
// content file, in which case the content is left exactly as it was.
class CContDownloadDlg : public TemplateDialog, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int ResourceId = 157;
    static constexpr int StatusId = 1021;
    static constexpr int BarId = 1020;
    static constexpr std::chrono::milliseconds StartDelay{500};
    // How long one download may wait for the server before it is given up.
    static constexpr std::chrono::milliseconds DownloadTimeout{10000};

    // Fetches an address into a file; true when the file was written.
    using Download = std::function<bool(const QString& address, const QString& path)>;

    // host: the image server; fileName: "mem…sml" or "st…sml"; the folder is
    // "mailbox/%010d" with mailboxNumber; the content goes into model.
    CContDownloadDlg(const QString& host, const QString& fileName, int mailboxNumber,
                     ContentModel& model, QWidget* parent = nullptr);

    // For tests: how files are fetched (default: the URL download with DownloadTimeout).
    void setDownload(Download download) { m_download = std::move(download); }

    QString folder() const { return m_folder; }
    QString statusText() const { return m_statusText; }

    // Msg::DownloadPosition, Msg::DownloadStatus and Msg::DownloadRange.
    int onMessage(int message, WParam wParam, LParam lParam) override;

    static DialogTemplate dialogTemplate();

protected:
    void showEvent(QShowEvent* event) override;
    // The member cannot end the dialog while it works: Enter and Escape do nothing.
    void onOk() override {}
    void onCancel() override {}

private:
    void run();
    void setStatus(const QString& text);

    QString m_host;
    QString m_fileName;
    QString m_folder;
    int m_mailboxNumber;
    ContentModel& m_model;
    QString m_statusText;
    QLineEdit* m_status;
    QProgressBar* m_bar;
    QTimer m_timer;
    Download m_download;
    bool m_started = false;
};

} // namespace orvix
