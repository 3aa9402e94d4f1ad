#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>

class QObject;
class QPainter;
class QPoint;

namespace orvix {

// One picture button of the launcher strip: two pictures of the same size (up and pressed), the
// rectangle where it is drawn and hit, the window that receives its command, its name and its
// number. The picture carries the look and shows the name; a picture drawn for a high-density
// screen carries its device pixel ratio and still covers exactly the button's rectangle.
class CLauncherButton {
public:
    CLauncherButton(QImage normal, QImage pressed, const QRect& rect, QObject* owner, QString name,
                    int number);

    const QRect& rect() const { return m_rect; }
    const QString& name() const { return m_name; }
    int number() const { return m_number; }

    // Whether a point of the owner's client area lies on the button (right and bottom edges
    // excluded, so adjacent buttons never share a point).
    bool contains(const QPoint& point) const;

    // Copies the picture at its own size to the rectangle's top-left corner.
    void drawNormal(QPainter& painter) const;
    void drawPressed(QPainter& painter) const;

    // Sends the launcher command with the button's number to the owner, synchronously, and
    // returns the owner's result; a button without owner is inert and returns 0.
    int sendCommand() const;

private:
    QImage m_normal;
    QImage m_pressed;
    QRect m_rect;
    QPointer<QObject> m_owner;
    QString m_name;
    int m_number;
};

} // namespace orvix
