#pragma once

#include "platform/window_messages.h"

#include <QtGlobal>

#include <functional>
#include <optional>

namespace orvix {

class COrviUpload;
class CProgressDlg;
struct UploadNotice;

// Follows uploads in a progress strip: turns the upload notices (1035) a window receives into
// progress messages (1038) for its CProgressDlg and hands each finished upload back to the
// window. The content editor, the post view and the document dialog share it:
//
//     m_progress(*m_strip, [this](COrviUpload* upload) { OnUploaded(upload); })
//     ...
//     m_strip->move(10, 20);
//     m_progress.begin(fileSize);                     // strip shown at 0
//     COrvixWinApp::current().startUpload(folder, name, path, this);
//     ...
//     int onMessage(int message, WParam wParam, LParam lParam) override {
//         if (m_progress.onMessage(message, wParam, lParam))
//             return 1;
//         ...
//     }
//     ...
//     m_progress.end();                               // strip hidden at 0, when the chain is done
//
// With a total, the bar counts the bytes of every file finished since begin() plus those sent
// of the current one against that total (a chain of uploads); without one, each file counts
// against the size it announces when it starts. The strip stays up between the files of a
// chain and after the last one, until end().
class UploadProgress {
public:
    // Called with the finished upload, valid during the call only.
    using Finished = std::function<void(COrviUpload* upload)>;

    UploadProgress(CProgressDlg& strip, Finished onFinished);

    // Shows the strip at 0 and starts counting.
    void begin(std::optional<qint64> total = std::nullopt);
    // Hides the strip and puts its bar back to 0.
    void end();

    // Handles an upload notice; 1 when it was one.
    int onNotice(const UploadNotice& notice);
    // Handles a window message: upload notices, 1; any other message is left alone, 0.
    int onMessage(int message, WParam wParam, LParam lParam);

    // Bytes of the files finished since begin() and of the current one.
    qint64 bytesDone() const { return m_finishedBytes + m_currentBytes; }

private:
    void show(qint64 done);

    CProgressDlg& m_strip;
    Finished m_onFinished;
    bool m_eachFile = true;
    qint64 m_finishedBytes = 0;
    qint64 m_currentBytes = 0;
};

} // namespace orvix
