#include "platform/dialog_template.h"

#include "platform/resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include <algorithm>

namespace orvix {

namespace {

constexpr int kScreenDpi = 96;

// Rounds a * b / c to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c) {
    const qint64 product = static_cast<qint64>(a) * b;
    const qint64 half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// The fixed-width system faces; their proportional relatives ("굴림", "돋움", "MS Shell Dlg")
// are measured like any other face.
bool isCellFace(const QString& face) {
    static const QStringList faces{QStringLiteral("굴림체"), QStringLiteral("돋움체"),
                                   QStringLiteral("바탕체"), QStringLiteral("MS Gothic")};
    return faces.contains(face);
}

QWidget* createControl(QWidget* host, const DialogControl& control) {
    const bool multiLine = control.style & ControlStyle::MultiLine;
    const bool readOnly = control.style & ControlStyle::ReadOnly;
    switch (control.kind) {
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(control.text, host);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(control.text, host);
    case ControlKind::Edit:
        if (multiLine) {
            auto* edit = new QPlainTextEdit(control.text, host);
            edit->setReadOnly(readOnly);
            edit->setVerticalScrollBarPolicy((control.style & ControlStyle::VScroll)
                                                 ? Qt::ScrollBarAsNeeded
                                                 : Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            if (control.style & ControlStyle::NoBorder)
                edit->setFrameShape(QFrame::NoFrame);
            return edit;
        } else {
            auto* edit = new QLineEdit(control.text, host);
            edit->setReadOnly(readOnly);
            edit->setFrame(!(control.style & ControlStyle::NoBorder));
            if (control.style & ControlStyle::Password)
                edit->setEchoMode(QLineEdit::Password);
            return edit;
        }
    case ControlKind::Static:
        return new QLabel(control.text, host);
    case ControlKind::Picture: {
        auto* label = new QLabel(host);
        showPicture(label, control.bitmap);
        return label;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(host);
        combo->setEditable(control.style & ControlStyle::Editable);
        return combo;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(host);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::Browser:
        return new QWidget(host);
    }
    return new QWidget(host);
}

} // namespace

int pointsToPixels(int pointSize) {
    return mulDiv(pointSize, kScreenDpi, 72);
}

QFont dialogFont(const QString& face, int pointSize) {
    QFont font(face);
    font.setPixelSize(pointsToPixels(pointSize));
    return font;
}

DialogUnits::DialogUnits(int baseX, int baseY)
    : m_baseX(baseX)
    , m_baseY(baseY) {}

DialogUnits DialogUnits::forFont(const QString& face, int pointSize) {
    const int pixels = pointsToPixels(pointSize);
    if (isCellFace(face))
        return DialogUnits((pixels + 1) / 2, pixels);
    const QFontMetrics metrics(dialogFont(face, pointSize));
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((alphabet / 26 + 1) / 2, metrics.height());
}

int DialogUnits::toPixelsX(int units) const {
    return mulDiv(units, m_baseX, 4);
}

int DialogUnits::toPixelsY(int units) const {
    return mulDiv(units, m_baseY, 8);
}

QRect DialogUnits::toPixels(const QRect& units) const {
    const int left = toPixelsX(units.x());
    const int top = toPixelsY(units.y());
    const int right = toPixelsX(units.x() + units.width());
    const int bottom = toPixelsY(units.y() + units.height());
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::toPixels(const QSize& units) const {
    return QSize(toPixelsX(units.width()), toPixelsY(units.height()));
}

void showPicture(QLabel* label, int bitmap, const res::PictureWords& words) {
    label->setPixmap(QPixmap::fromImage(res::picture(bitmap, label->devicePixelRatioF(), words)));
}

namespace {

// Orders the controls that take focus as a reader goes through the dialog: a control belongs to
// the row of the control above it when their spans overlap by more than half of the smaller
// height; rows go top to bottom, each left to right.
void orderTabs(const std::vector<QWidget*>& controls) {
    std::vector<QWidget*> focusable;
    for (QWidget* control : controls) {
        if (control->focusPolicy() & Qt::TabFocus)
            focusable.push_back(control);
    }
    std::stable_sort(focusable.begin(), focusable.end(), [](QWidget* a, QWidget* b) {
        return a->geometry().top() < b->geometry().top();
    });
    std::vector<std::vector<QWidget*>> rows;
    for (QWidget* control : focusable) {
        if (!rows.empty()) {
            const QRect first = rows.back().front()->geometry();
            const QRect rect = control->geometry();
            const int overlap =
                std::min(first.bottom(), rect.bottom()) - std::max(first.top(), rect.top()) + 1;
            if (2 * overlap > std::min(first.height(), rect.height())) {
                rows.back().push_back(control);
                continue;
            }
        }
        rows.push_back({control});
    }
    QWidget* previous = nullptr;
    for (std::vector<QWidget*>& row : rows) {
        std::stable_sort(row.begin(), row.end(), [](QWidget* a, QWidget* b) {
            return a->geometry().left() < b->geometry().left();
        });
        for (QWidget* control : row) {
            if (previous)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
}

} // namespace

QString controlName(int id) {
    return QStringLiteral("control%1").arg(id);
}

DialogUnits buildControls(QWidget* host, const DialogTemplate& dialogTemplate) {
    const DialogUnits units =
        DialogUnits::forFont(dialogTemplate.fontFace, dialogTemplate.pointSize);
    host->setFont(dialogFont(dialogTemplate.fontFace, dialogTemplate.pointSize));
    host->setFixedSize(units.toPixels(dialogTemplate.size));
    std::vector<QWidget*> created;
    for (const DialogControl& control : dialogTemplate.controls) {
        QWidget* widget = createControl(host, control);
        created.push_back(widget);
        widget->setObjectName(controlName(control.id));
        widget->setProperty("controlId", control.id);
        QRect rect = units.toPixels(control.rect);
        if (control.kind == ControlKind::Picture) {
            const QSize size = res::bitmapSize(control.bitmap);
            if (!size.isEmpty())
                rect.setSize(size); // a picture control takes its bitmap's size
        }
        widget->setGeometry(rect);
        if (control.style & ControlStyle::Transparent)
            widget->setAttribute(Qt::WA_TranslucentBackground);
        widget->setEnabled(!(control.style & ControlStyle::Disabled));
        widget->setVisible(!(control.style & ControlStyle::Hidden));
    }
    orderTabs(created);
    return units;
}

} // namespace orvix
