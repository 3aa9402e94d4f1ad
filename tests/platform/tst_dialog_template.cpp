#include "platform/template_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace orvix;

namespace {

DialogTemplate loginLikeTemplate() {
    DialogTemplate t;
    t.resourceId = 144;
    t.caption = QStringLiteral("Login");
    t.size = QSize(112, 198);
    t.fontFace = QStringLiteral("굴림체");
    t.pointSize = 16;
    t.controls = {
        {1047,
         ControlKind::Edit,
         QRect(5, 76, 99, 19),
         {},
         ControlStyle::MultiLine | ControlStyle::ReadOnly | ControlStyle::Hidden},
        {1003, ControlKind::Edit, QRect(38, 98, 67, 14), {}},
        {1005, ControlKind::Edit, QRect(38, 114, 67, 14), {}, ControlStyle::Password},
        {1007, ControlKind::CheckBox, QRect(7, 135, 8, 10), {}},
        {1, ControlKind::DefaultButton, QRect(60, 148, 42, 14), QStringLiteral("OK")},
        {2, ControlKind::Button, QRect(13, 148, 44, 14), QStringLiteral("Cancel")},
        {1020, ControlKind::ProgressBar, QRect(3, 3, 100, 5), {}, ControlStyle::Disabled},
    };
    return t;
}

} // namespace

class TestDialogTemplate : public QObject {
    Q_OBJECT
private slots:
    void cellFaceBaseUnits() {
        const DialogUnits units = DialogUnits::forFont(QStringLiteral("굴림체"), 16);
        QCOMPARE(units.baseX(), 11);
        QCOMPARE(units.baseY(), 21);
        QCOMPARE(pointsToPixels(9), 12);
        // Other faces are measured: sane units for the usual 8-point dialog face.
        const DialogUnits measured = DialogUnits::forFont(QStringLiteral("MS Shell Dlg"), 8);
        QVERIFY(measured.baseX() >= 4 && measured.baseX() <= 9);
        QVERIFY(measured.baseY() >= 10 && measured.baseY() <= 18);
    }

    void conversionRoundsEachEdge() {
        const DialogUnits units(11, 21);
        QCOMPARE(units.toPixels(QSize(112, 198)), QSize(308, 520));
        // OK button of the login dialog: edges at 165/281 and 389/425.
        QCOMPARE(units.toPixels(QRect(60, 148, 42, 14)), QRect(165, 389, 116, 36));
        // Adjacent controls share their edge after rounding.
        const QRect left = units.toPixels(QRect(0, 0, 7, 3));
        const QRect right = units.toPixels(QRect(7, 3, 5, 3));
        QCOMPARE(left.x() + left.width(), right.x());
        QCOMPARE(left.y() + left.height(), right.y());
        // Negative positions round away from zero like positive ones.
        QCOMPARE(units.toPixelsX(-2), -6);
    }

    void controlsAreBuiltAtTheirPlaces() {
        TemplateDialog dialog(loginLikeTemplate());
        QCOMPARE(dialog.size(), QSize(308, 520));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Login"));
        auto* id = dialog.control<QLineEdit>(1003);
        auto* password = dialog.control<QLineEdit>(1005);
        QVERIFY(id && password);
        QCOMPARE(id->geometry(), QRect(105, 257, 184, 37));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        auto* message = dialog.control<QPlainTextEdit>(1047);
        QVERIFY(message);
        QVERIFY(message->isReadOnly());
        QVERIFY(message->isHidden());
        QVERIFY(dialog.control<QCheckBox>(1007));
        QVERIFY(!dialog.control<QProgressBar>(1020)->isEnabled());
        QCOMPARE(dialog.control<QPushButton>(1)->property("controlId").toInt(), 1);
        QVERIFY(dialog.control<QPushButton>(1)->isDefault());
        QVERIFY(!dialog.control<QLineEdit>(9999));
    }

    void okCancelEnterAndEscape() {
        // OK and Cancel by their buttons, Enter through the default button, Escape as Cancel.
        const std::function<void(TemplateDialog&)> inputs[] = {
            [](TemplateDialog& d) { QTest::mouseClick(d.control<QPushButton>(1), Qt::LeftButton); },
            [](TemplateDialog& d) { QTest::mouseClick(d.control<QPushButton>(2), Qt::LeftButton); },
            [](TemplateDialog& d) { QTest::keyClick(d.control<QLineEdit>(1003), Qt::Key_Return); },
            [](TemplateDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        };
        const int results[] = {1, 2, 1, 2};
        for (int i = 0; i < 4; ++i) {
            TemplateDialog dialog(loginLikeTemplate());
            dialog.show();
            inputs[i](dialog);
            QCOMPARE(dialog.result(), results[i]);
        }
    }
};

QTEST_MAIN(TestDialogTemplate)
#include "tst_dialog_template.moc"
