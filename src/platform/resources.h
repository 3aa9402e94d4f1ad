#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>
#include <QUrl>

#include <utility>
#include <vector>

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

// Words that a drawing shows in the member's language. A drawing marks the place of a word with
// "{{key}}" (in its text or in an attribute such as font-family); each pair (key, value) puts the
// value there, escaped as XML text. Marks without a value are left empty.
using PictureWords = std::vector<std::pair<QString, QString>>;

// The bitmap drawn at its exact size on an opaque white background, or a null image when the
// number names no bitmap or its drawing is missing.
QImage bitmap(int id);

// The bitmap drawn for a screen: `devicePixelRatio` times its exact size in device pixels and
// marked with that ratio, so that it paints at its exact size in device-independent pixels and
// stays sharp on a high-density screen. The ground is transparent wherever the drawing leaves it,
// so a picture without a background of its own lies on whatever is behind it. Null as bitmap().
QImage picture(int id, qreal devicePixelRatio, const PictureWords& words = {});

// The program's icon (number 128) at every size a window may ask for.
QIcon icon(int id);

// Address of a compiled-in sound, for players that take an address.
QUrl soundUrl(int id);

} // namespace orvix::res
