#pragma once

#include <QtGlobal>

namespace orvix {

// Parameters of a window message, wide enough to carry a pointer as the second one does for
// the reply and upload notices.
using WParam = qintptr;
using LParam = qintptr;

// The numbered messages the windows of the program send each other. Their payloads are read
// through the adapters of the library that sends them (ReplyNotice, FailureNotice,
// UploadNotice), never by casting the parameters.
namespace Msg {
constexpr int UserBase = 1024;
constexpr int Reply = UserBase + 10;             // request socket: wParam length, lParam request
constexpr int Upload = UserBase + 11;            // upload socket: wParam step, lParam value
constexpr int RequestFailed = UserBase + 12;     // request socket: wParam reason, lParam request
constexpr int Progress = UserBase + 14;          // progress strip: wParam bytes done
constexpr int DownloadPosition = UserBase + 100; // content download: progress position
constexpr int DownloadStatus = UserBase + 101;   // content download: show the status text
constexpr int DownloadRange = UserBase + 102;    // content download: progress range
constexpr int SendStep = UserBase + 998;         // sending worker's step
constexpr int ReceiveStep = UserBase + 999;      // polling worker's step
constexpr int LauncherCommand = 8000;            // launcher button: wParam button number
} // namespace Msg

} // namespace orvix
