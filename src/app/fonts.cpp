#include "app/fonts.h"

#include <QFont>

namespace orvix {

QStringList defaultFontTable() {
    return {QStringLiteral("돋움체"), QStringLiteral("돋움체"), QStringLiteral("MS Gothic")};
}

void installFontSubstitutes(int country) {
    // Cell (fixed-pitch) faces first: the dialogs that name them are laid out for half-width
    // Latin letters and full-width Hangul and Han characters. The Noto CJK faces carry Korean,
    // Chinese and Japanese.
    const QStringList cellFaces{
        QStringLiteral("Noto Sans Mono CJK KR"), QStringLiteral("Noto Sans Mono CJK SC"),
        QStringLiteral("Noto Sans CJK KR"), QStringLiteral("DejaVu Sans Mono")};
    // Proportional faces led by the one drawn for the member's script; characters it lacks come
    // from the next ones.
    QStringList proportionalFaces{QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK KR"),
                                  QStringLiteral("Noto Sans CJK SC")};
    if (country == Country::Korea || country == Country::China)
        proportionalFaces.move(country == Country::Korea ? 1 : 2, 0);
    for (const char16_t* face : {u"돋움체", u"굴림체", u"바탕체", u"MS Gothic"}) {
        QFont::removeSubstitutions(QString::fromUtf16(face));
        QFont::insertSubstitutions(QString::fromUtf16(face), cellFaces);
    }
    for (const char16_t* face : {u"돋움", u"굴림", u"바탕", u"MS Shell Dlg", u"MS Sans Serif"}) {
        QFont::removeSubstitutions(QString::fromUtf16(face));
        QFont::insertSubstitutions(QString::fromUtf16(face), proportionalFaces);
    }
}

QString pictureFace(int country) {
    switch (country) {
    case Country::Korea:
        return QStringLiteral("Noto Sans CJK KR");
    case Country::China:
        return QStringLiteral("Noto Sans CJK SC");
    default:
        return QStringLiteral("DejaVu Sans");
    }
}

} // namespace orvix
