// The alignment grid on the canvas background: which pixels it paints, its
// colour, its removal, and the background without a picture.
#include "canvas/TImage.h"
#include "options/ColourSwatch.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorFixture.h"

#include <QFile>
#include <QTest>

namespace {

const QColor kGridGrey(102, 102, 102);
const QColor kBackground(Qt::darkBlue);

// The picture as the grid should leave it over a plain background.
QImage expectedGrid(int width, int height, const QColor& plain, const QColor& line)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool onVertical = x % 10 == 0 && x < width / 10 * 10;
            const bool onHorizontal = y % 10 == 0 && y < height / 10 * 10;
            image.setPixelColor(x, y, onVertical || onHorizontal ? line : plain);
        }
    return image;
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;

    const QImage& picture() const { return fixture->form1().imgBckGround->picture(); }

private slots:
    void init() { fixture = std::make_unique<EditorFixture>(); }
    void cleanup() { fixture.reset(); }

    void linePixels_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("500 x 400") << 500 << 400;
        QTest::newRow("505 x 400: no line at x = 500") << 505 << 400;
        QTest::newRow("narrower than 10") << 9 << 400;
        QTest::newRow("lower than 10") << 500 << 9;
        QTest::newRow("one cell and a bit") << 11 << 19;
    }
    void linePixels()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        fixture->folder.writeAllPictures(width, height);
        fixture->start();
        QCOMPARE(fixture->dialogs.errors, QStringList());
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), expectedGrid(width, height, kBackground, kGridGrey));
    }

    void aNewColourRecoloursEveryLine()
    {
        fixture->folder.writeAllPictures();
        Editor& editor = fixture->start();
        fixture->dialogs.colourAnswers.enqueue(0x000000FF);
        emit editor.frmSize.lblSetka->clicked();
        QCOMPARE(fixture->dialogs.colourPresets, QList<TColor>{0x00666666});
        QCOMPARE(editor.frmSize.lblSetka->color(), 0x000000FFu);
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, kBackground, Qt::red));
    }

    void aCancelledDialogDrawsTheGridAgain()
    {
        fixture->folder.writeAllPictures();
        Editor& editor = fixture->start();
        // The picture without its grid, as if the file had just been loaded.
        editor.Form1.imgBckGround->loadFromFile(fixture->folder.file("\\data\\BackGround.bmp"));
        emit editor.frmSize.lblSetka->clicked();
        QCOMPARE(editor.frmSize.lblSetka->color(), 0x00666666u);
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, kBackground, kGridGrey));
    }

    void aColourChosenWhileOffShowsWhenSwitchedOn()
    {
        fixture->folder.writeAllPictures();
        Editor& editor = fixture->start();
        editor.frmSize.chkSetka->click();
        QVERIFY(!editor.frmSize.chkSetka->isChecked());
        const QImage plain = picture();
        fixture->dialogs.colourAnswers.enqueue(0x0000FF00);
        emit editor.frmSize.lblSetka->clicked();
        QCOMPARE(picture(), plain);
        editor.frmSize.chkSetka->click();
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, kBackground, Qt::green));
    }

    void removalShowsTheFileAsItIsNow()
    {
        fixture->folder.writeAllPictures();
        Editor& editor = fixture->show();
        fixture->folder.writePicture("\\data\\BackGround.bmp", 600, 450, Qt::darkGreen);
        editor.frmSize.chkSetka->click();
        QCOMPARE(fixture->dialogs.errors, QStringList());
        QCOMPARE(picture().size(), QSize(600, 450));
        QCOMPARE(picture().pixelColor(0, 0), QColor(Qt::darkGreen));
        QCOMPARE(editor.Form1.size(), QSize(600, 450));
    }

    void aMissingFileKeepsTheGridAndReportsIt()
    {
        fixture->folder.writeAllPictures();
        Editor& editor = fixture->start();
        QVERIFY(QFile::remove(fixture->folder.file("\\data\\BackGround.bmp")));
        editor.frmSize.chkSetka->click();
        QCOMPARE(fixture->dialogs.errors,
                 QStringList{"Cannot open file " + fixture->folder.file("\\data\\BackGround.bmp") + "."});
        QVERIFY(!editor.frmSize.chkSetka->isChecked());
        QCOMPARE(picture().pixelColor(0, 5), kGridGrey);
    }

    void withoutABackgroundTheGridGoesOnABlankPicture()
    {
        Editor& editor = fixture->start(Editor::Start::Linked);
        editor.frmSize.lblSetka->setColor(0x00666666);
        editor.frmSize.chkSetkaClick();
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, Qt::white, kGridGrey));
    }

    void settingOnlyThePenGivesTheBlankPicture()
    {
        Editor& editor = fixture->start(Editor::Start::Linked);
        editor.frmSize.chkSetka->setChecked(false); // without its click behaviour
        editor.frmSize.lblSetkaClick();
        QCOMPARE(picture().size(), QSize(500, 400));
        QImage white(500, 400, QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(picture().convertToFormat(QImage::Format_RGB32), white);
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
