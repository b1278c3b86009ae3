// Where a window with a stored place comes up, on a desktop of two screens
// of different sizes side by side (the offscreen platform's own layout).
#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QTemporaryFile>
#include <QTest>

class TestWindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void twoScreensSideBySide()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(QGuiApplication::screens()[1]->geometry(), QRect(1024, 0, 800, 600));
    }

    void aFrameOnAScreenStays_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::newRow("whole") << QRect(100, 100, 500, 400);
        QTest::newRow("across both") << QRect(900, 10, 500, 400);
        QTest::newRow("one pixel on the second") << QRect(1823, -399, 500, 400);
        QTest::newRow("empty, its corner on a screen") << QRect(10, 10, 0, 0);
    }
    void aFrameOnAScreenStays()
    {
        QFETCH(QRect, frame);
        QCOMPARE(WindowPlacement::seenPlace(frame), frame.topLeft());
    }

    void aFrameOffEveryScreenIsSeenWhole_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("far right: the second screen") << QRect(5000, 100, 500, 400) << QPoint(1324, 100);
        QTest::newRow("far left and below: the first") << QRect(-3000, 5000, 500, 400) << QPoint(0, 368);
        QTest::newRow("below the shorter screen, nearer the taller") << QRect(1100, 700, 100, 50) << QPoint(924, 700);
        QTest::newRow("below the shorter screen") << QRect(1300, 650, 100, 50) << QPoint(1300, 550);
        QTest::newRow("larger than the screen") << QRect(5000, 5000, 2000, 1000) << QPoint(1024, 0);
        QTest::newRow("the far corner of 16 bits") << QRect(32767, -32768, 0, 0) << QPoint(1823, 0);
    }
    void aFrameOffEveryScreenIsSeenWhole()
    {
        QFETCH(QRect, frame);
        QFETCH(QPoint, place);
        QCOMPARE(WindowPlacement::seenPlace(frame), place);
    }
};

int main(int argc, char* argv[])
{
    QTemporaryFile layout;
    if (!layout.open())
        return 1;
    layout.write(R"({"screens": [
        {"name": "first", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "second", "x": 1024, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    layout.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + layout.fileName().toLocal8Bit());
    QGuiApplication application(argc, argv);
    TestWindowPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowplacement.moc"
