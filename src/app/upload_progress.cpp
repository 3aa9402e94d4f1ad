#include "app/upload_progress.h"

#include "app/progress_dlg.h"
#include "net/upload_notice.h"
#include "platform/message_target.h"

namespace orvix {

UploadProgress::UploadProgress(CProgressDlg& strip, Finished onFinished)
    : m_strip(strip)
    , m_onFinished(std::move(onFinished)) {}

void UploadProgress::begin(std::optional<qint64> total) {
    m_eachFile = !total.has_value();
    m_strip.setTotal(total.value_or(0));
    m_finishedBytes = 0;
    m_currentBytes = 0;
    show(0);
    m_strip.show();
    m_strip.raise();
}

void UploadProgress::end() {
    show(0);
    m_strip.hide();
}

int UploadProgress::onMessage(int message, WParam wParam, LParam lParam) {
    const auto notice = UploadNotice::from(message, wParam, lParam);
    return notice ? onNotice(*notice) : 0;
}

int UploadProgress::onNotice(const UploadNotice& notice) {
    switch (notice.kind) {
    case UploadNotice::Kind::Started:
        m_currentBytes = 0;
        if (m_eachFile) {
            m_finishedBytes = 0;
            m_strip.setTotal(notice.bytes);
            show(0);
        }
        break;
    case UploadNotice::Kind::Progress:
        m_currentBytes = notice.bytes;
        show(bytesDone());
        break;
    case UploadNotice::Kind::Finished:
        // The file counts with the bytes last reported for it.
        m_finishedBytes += m_currentBytes;
        m_currentBytes = 0;
        if (m_onFinished)
            m_onFinished(notice.upload);
        break;
    }
    return 1;
}

void UploadProgress::show(qint64 done) {
    sendMessage(&m_strip, Msg::Progress, static_cast<WParam>(done));
}

} // namespace orvix
