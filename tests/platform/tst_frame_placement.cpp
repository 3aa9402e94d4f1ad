#include "platform/frame_placement.h"
#include "platform/frame_window.h"

#include <QDialog>
#include <QTest>
#include <QWindow>

using namespace orvix;

// Windows are placed by their outer frame, caption and border included, with the margins the
// platform reports (the offscreen platform's, or the window manager's under a display).
class TestFramePlacement : public QObject {
    Q_OBJECT
private slots:
    void framesTakeTheirOuterRectangle_data() {
        QTest::addColumn<QRect>("outer");
        QTest::addColumn<bool>("shownLater"); // created hidden, shown by a later command
        QTest::newRow("main window") << QRect(390, 20, 500, 170) << false;
        QTest::newRow("feature window, shown later") << QRect(100, 200, 800, 450) << true;
    }
    void framesTakeTheirOuterRectangle() {
        QFETCH(QRect, outer);
        QFETCH(bool, shownLater);
        FrameWindow frame(FrameWindow::Caption::WithSystemMenu);
        frame.placeAt(outer.x(), outer.y(), outer.width(), outer.height());
        if (shownLater) {
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            frame.hide();
        }
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTRY_COMPARE(frame.frameGeometry(), outer);
        const QMargins margins = frame.windowHandle()->frameMargins();
        QVERIFY(!margins.isNull()); // a framed window: the client area is smaller
        QCOMPARE(frame.geometry(), outer.marginsRemoved(margins));
        QCOMPARE(FramePlacement::knownMargins(), margins);

        // Once the member moves it, the window stays where they put it.
        frame.move(outer.topLeft() + QPoint(30, 40));
        QTRY_COMPARE(frame.frameGeometry().topLeft(), outer.topLeft() + QPoint(30, 40));
        frame.resize(frame.size() + QSize(10, 10));
        QTest::qWait(20);
        QCOMPARE(frame.frameGeometry(),
                 QRect(outer.topLeft() + QPoint(30, 40), outer.size() + QSize(10, 10)));
    }

    // A dialog centred on another window's frame keeps its own client size.
    void dialogCentredOnAFrame() {
        const QRect launcher(390, 20, 500, 170);
        QDialog dialog;
        dialog.setFixedSize(300, 80);
        FramePlacement::centreOn(&dialog, launcher);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(dialog.frameGeometry().center(), launcher.center());
        QCOMPARE(dialog.size(), QSize(300, 80));
    }
};

QTEST_MAIN(TestFramePlacement)
#include "tst_frame_placement.moc"
