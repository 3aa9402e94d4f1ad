#pragma once

#include <QStringList>

namespace orvix {

// The face names the windows ask for, by country code: Korean, Chinese, other.
QStringList defaultFontTable();

// Makes the Windows face names the windows ask for ("돋움체", "굴림체", "MS Gothic", ...) resolve
// to installed fonts that show Korean, Chinese and Latin text.
void installFontSubstitutes();

} // namespace orvix
