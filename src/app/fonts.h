#pragma once

#include "app/local_text.h"

#include <QString>
#include <QStringList>

namespace orvix {

// The face names the windows ask for, by country code: Korean, Chinese, other.
QStringList defaultFontTable();

// Makes the Windows face names the windows ask for resolve to installed fonts that show Korean,
// Chinese and Latin text: the fixed-width faces ("돋움체", "굴림체", "바탕체", "MS Gothic") to
// fixed-width fonts, the others ("MS Shell Dlg", the dialogs' own face, "돋움", "굴림", ...) to
// proportional ones, each led by the font made for the member's language.
void installFontSubstitutes(int country = Country::Other);

// The face of the words painted in the program's pictures, for the member's language.
QString pictureFace(int country);

} // namespace orvix
