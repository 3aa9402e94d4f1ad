#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QUrl>

namespace orvix::res {

// Numbers of the compiled-in pictures and sounds. Each bitmap has one exact pixel size.
constexpr int ProgramIcon = 128;
constexpr int LauncherChatting = 130;
constexpr int LauncherChattingPressed = 131;
constexpr int LauncherSquare = 132;
constexpr int LauncherSquarePressed = 133;
constexpr int LauncherStory = 134;
constexpr int LauncherStoryPressed = 135;
constexpr int LauncherInformation = 136;
constexpr int LauncherInformationPressed = 137;
constexpr int LauncherAddStore = 139;
constexpr int LauncherAddStorePressed = 140;
constexpr int DefaultMemberPicture = 143;
constexpr int UpgradePicture = 162;
constexpr int NotificationSound = 164;
constexpr int DefaultPostPicture = 167;
constexpr int DocumentIcon = 188; // a document block of the content editor
constexpr int NewBadge = 198;
constexpr int LoginFace = 201;

// The exact pixel size of a bitmap, or an empty size for a number that names no bitmap.
QSize bitmapSize(int id);

// The bitmap drawn at its exact size on an opaque background, or a null image when the number
// names no bitmap or its drawing is missing.
QImage bitmap(int id);

// The program's icon (number 128) at every size a window may ask for.
QIcon icon(int id);

// Address of a compiled-in sound, for players that take an address.
QUrl soundUrl(int id);

} // namespace orvix::res
