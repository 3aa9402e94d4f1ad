#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QPaintDevice;
class QPainter;

namespace orvix {

// A text bubble of the conversation: lays a message out in lines at its wrap width, measured
// with the real font, and draws it as a rounded rectangle with a small pointed tail toward the
// sender's picture.
//
// The bubble occupies (x, y)–(x + W + 5M, y + H + 2M), where W is the wrap width, H the laid-out
// height and M the inner margin; the conversation stacks messages with H and M.
class CTextObject {
public:
    static constexpr int MaxLines = 50;

    // Stores the font size (character height in pixels), wrap width, font face, the text (line
    // breaks as CR LF, CR or LF) and the device whose resolution the text is measured for (none:
    // the screen).
    void Set(int fontSize, int wrapWidth, const QString& fontFace, const QString& text,
             const QPaintDevice* measuringDevice = nullptr);

    // Breaks the text into lines and computes the height.
    //
    // A candidate line grows one character per pass and is measured each time. It ends when its
    // last character is a CR or LF (the line is the candidate without it; an LF right after is
    // dropped too) or when it is wider than the wrap width (the line keeps the character that
    // made it too wide). The passes stop two characters before the end of the text, or after
    // 49 lines; the rest, whatever its width or line breaks, is the last line. Every line adds
    // its measured height plus the line gap; a text of fewer than two characters is one line
    // of the gap plus the font size.
    void Layout();

    // Draws the bubble with its top-left corner at (x, y); side 1 puts the tail on the right
    // edge, any other side on the left edge.
    void Draw(QPainter& painter, int x, int y, int side) const;

    // The font the text is measured and drawn with: the face at the font size as character
    // height, normal weight.
    QFont font() const;

    const QString& text() const { return m_text; }
    const QStringList& lines() const { return m_lines; }
    int lineCount() const { return m_lineCount; }
    int fontSize() const { return m_fontSize; }
    const QString& fontFace() const { return m_fontFace; }
    int wrapWidth() const { return m_wrapWidth; }
    int height() const { return m_height; }
    int lineGap() const { return m_lineGap; }
    int innerMargin() const { return m_innerMargin; }
    QColor fillColour() const { return m_fill; }
    QColor borderColour() const { return m_border; }
    void setFillColour(const QColor& colour) { m_fill = colour; }

    // The size the bubble occupies (without its tail).
    int bubbleWidth() const { return m_wrapWidth + 5 * m_innerMargin; }
    int bubbleHeight() const { return m_height + 2 * m_innerMargin; }

    // The tail on the left edge L of a bubble whose top is y, or on its right edge R: the eight
    // points of the filled shape and the five of its outer edge.
    static void drawTail(QPainter& painter, int edge, int y, bool onRight, const QColor& fill,
                         const QColor& border);

protected:
    // The rounded rectangle of the bubble in the fill and border colours.
    void drawBubble(QPainter& painter, int x, int y) const;

    QString m_text;
    const QPaintDevice* m_measuringDevice = nullptr;
    QStringList m_lines;
    int m_fontSize = 12;
    QString m_fontFace = QStringLiteral("돋움체");
    int m_wrapWidth = 200;
    int m_height = 0;
    int m_lineGap = 6;
    int m_innerMargin = 10;
    int m_lineCount = 0;
    QColor m_fill = QColor(0, 255, 0);
    QColor m_border = QColor(127, 127, 127);
};

} // namespace orvix
