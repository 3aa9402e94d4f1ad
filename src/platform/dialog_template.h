#pragma once

#include "platform/resources.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <vector>

class QFont;
class QLabel;

namespace orvix {

enum class ControlKind {
    Button,        // push button
    DefaultButton, // push button pressed by Enter
    CheckBox,
    Edit,        // one line, or several with ControlStyle::MultiLine
    Static,      // text label
    Picture,     // a compiled-in bitmap at its own size; DialogControl::bitmap names it
    ComboBox,    // drop-down list; with ControlStyle::Editable its text can be typed
    ProgressBar, // range 0 to 100
    Browser,     // an empty host for an embedded browser
};

namespace ControlStyle {
constexpr unsigned None = 0;
constexpr unsigned Hidden = 1u << 0;
constexpr unsigned Disabled = 1u << 1;
constexpr unsigned ReadOnly = 1u << 2;
constexpr unsigned Password = 1u << 3;
constexpr unsigned MultiLine = 1u << 4;
constexpr unsigned NoBorder = 1u << 5;
constexpr unsigned VScroll = 1u << 6;
constexpr unsigned Transparent = 1u << 7;
constexpr unsigned Editable = 1u << 8;
} // namespace ControlStyle

// One control of a dialog template: its id, kind, rectangle in dialog units, text and style.
struct DialogControl {
    int id = -1;
    ControlKind kind = ControlKind::Static;
    QRect rect; // x, y, width, height in dialog units
    QString text;
    unsigned style = ControlStyle::None;
    int bitmap = 0; // for ControlKind::Picture
};

// A dialog or form laid out in dialog units of its font, as the program's resources give them.
// A dialog whose font is not named otherwise uses the proportional dialog face; the fixed-width
// faces ("굴림체", "돋움체") are for the dialogs that name them.
struct DialogTemplate {
    static inline const QString ShellFace = QStringLiteral("MS Shell Dlg");
    static constexpr int ShellPointSize = 8;

    int resourceId = 0;
    QString caption;
    QSize size; // in dialog units
    QString fontFace;
    int pointSize = 9;
    std::vector<DialogControl> controls;
};

// Conversion of dialog units to pixels. A horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its character height; both are rounded to the
// nearest pixel on each edge, so adjacent controls never overlap or gap by rounding.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY);

    // Base units of a face at a point size on a 96 dpi screen. The Korean and Japanese system
    // faces are cell fonts: half-width letters, character height equal to the pixel size.
    // Other faces are measured with the font that stands in for them.
    static DialogUnits forFont(const QString& face, int pointSize);

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(const QRect& units) const;
    QSize toPixels(const QSize& units) const;

private:
    int m_baseX;
    int m_baseY;
};

// The pixel size of a font at a point size on a 96 dpi screen, rounded as the platform does.
int pointsToPixels(int pointSize);

// The dialog font of a template.
QFont dialogFont(const QString& face, int pointSize);

// Object name under which a control of a template can be found (findChild) by its id.
QString controlName(int id);

// The control with an id inside a window built from a template, or nullptr.
template <class T> T* findControl(const QWidget* host, int id) {
    return host->findChild<T*>(controlName(id));
}

// Creates the controls of a template as children of host, at their pixel rectangles, and
// gives host the template's pixel size and font. Tab goes through the controls as they are read:
// row by row from the top, each row from left to right. Returns the conversion that was used.
DialogUnits buildControls(QWidget* host, const DialogTemplate& dialogTemplate);

// Shows a compiled-in bitmap in a picture control at its exact size, drawn for the screen the
// control is on (sharp at any device pixel ratio) and with the words given.
void showPicture(QLabel* label, int bitmap, const res::PictureWords& words = {});

} // namespace orvix
