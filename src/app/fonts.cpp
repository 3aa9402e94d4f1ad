#include "app/fonts.h"

#include <QFont>

namespace orvix {

QStringList defaultFontTable() {
    return {QStringLiteral("돋움체"), QStringLiteral("돋움체"), QStringLiteral("MS Gothic")};
}

void installFontSubstitutes() {
    // Cell (fixed-pitch) faces first: the dialogs are laid out for half-width Latin letters and
    // full-width Hangul and Han characters. The Noto CJK faces carry Korean, Chinese and Japanese.
    const QStringList cellFaces{
        QStringLiteral("Noto Sans Mono CJK KR"), QStringLiteral("Noto Sans Mono CJK SC"),
        QStringLiteral("Noto Sans CJK KR"), QStringLiteral("DejaVu Sans Mono")};
    const QStringList proportionalFaces{QStringLiteral("Noto Sans CJK KR"),
                                        QStringLiteral("Noto Sans CJK SC"),
                                        QStringLiteral("DejaVu Sans")};
    for (const char16_t* face : {u"돋움체", u"굴림체", u"바탕체", u"MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf16(face), cellFaces);
    for (const char16_t* face : {u"돋움", u"굴림", u"바탕", u"MS Shell Dlg", u"MS Sans Serif"})
        QFont::insertSubstitutions(QString::fromUtf16(face), proportionalFaces);
}

} // namespace orvix
