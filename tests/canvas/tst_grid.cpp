// The alignment grid on the canvas background: which pixels it paints, its
// colour, its removal, and the background without a picture.
#include "app/Application.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "options/ColourSwatch.h"
#include "options/TfrmSize.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorWindows.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QFile>
#include <QTest>

namespace {

const QColor grey(102, 102, 102);
const QColor background(Qt::darkBlue);

// Both windows, created as the program creates them unless asked not to.
struct Editor : EditorWindows {
    explicit Editor(bool create = true) : EditorWindows(create ? Start::Created : Start::Linked) {}
    const QImage& picture() const { return form1.imgBckGround->picture(); }
};

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

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;

private slots:
    void init()
    {
        folder = std::make_unique<TempProgramFolder>();
        dialogs = std::make_unique<ScriptedDialogs>();
        Application::setDialogs(dialogs.get());
    }
    void cleanup()
    {
        Application::setDialogs(nullptr);
        dialogs.reset();
        folder.reset();
    }

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
        folder->writeAllPictures(width, height);
        Editor editor;
        QCOMPARE(dialogs->errors, QStringList());
        QCOMPARE(editor.picture().convertToFormat(QImage::Format_RGB32), expectedGrid(width, height, background, grey));
    }

    void aNewColourRecoloursEveryLine()
    {
        folder->writeAllPictures();
        Editor editor;
        dialogs->colourAnswers.enqueue(0x000000FF);
        emit editor.frmSize.lblSetka->clicked();
        QCOMPARE(dialogs->colourPresets, QList<TColor>{0x00666666});
        QCOMPARE(editor.frmSize.lblSetka->color(), 0x000000FFu);
        QCOMPARE(editor.picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, background, Qt::red));
    }

    void aCancelledDialogDrawsTheGridAgain()
    {
        folder->writeAllPictures();
        Editor editor;
        // The picture without its grid, as if the file had just been loaded.
        editor.form1.imgBckGround->loadFromFile(folder->file("\\data\\BackGround.bmp"));
        emit editor.frmSize.lblSetka->clicked();
        QCOMPARE(editor.frmSize.lblSetka->color(), 0x00666666u);
        QCOMPARE(editor.picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, background, grey));
    }

    void aColourChosenWhileOffShowsWhenSwitchedOn()
    {
        folder->writeAllPictures();
        Editor editor;
        editor.frmSize.chkSetka->click();
        QVERIFY(!editor.frmSize.chkSetka->isChecked());
        const QImage plain = editor.picture();
        dialogs->colourAnswers.enqueue(0x0000FF00);
        emit editor.frmSize.lblSetka->clicked();
        QCOMPARE(editor.picture(), plain);
        editor.frmSize.chkSetka->click();
        QCOMPARE(editor.picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, background, Qt::green));
    }

    void removalShowsTheFileAsItIsNow()
    {
        folder->writeAllPictures();
        Editor editor;
        editor.form1.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor.form1));
        folder->writePicture("\\data\\BackGround.bmp", 600, 450, Qt::darkGreen);
        editor.frmSize.chkSetka->click();
        QCOMPARE(dialogs->errors, QStringList());
        QCOMPARE(editor.picture().size(), QSize(600, 450));
        QCOMPARE(editor.picture().pixelColor(0, 0), QColor(Qt::darkGreen));
        QCOMPARE(editor.form1.size(), QSize(600, 450));
    }

    void aMissingFileKeepsTheGridAndReportsIt()
    {
        folder->writeAllPictures();
        Editor editor;
        QVERIFY(QFile::remove(folder->file("\\data\\BackGround.bmp")));
        editor.frmSize.chkSetka->click();
        QCOMPARE(dialogs->errors, QStringList{"Cannot open file " + folder->file("\\data\\BackGround.bmp") + "."});
        QVERIFY(!editor.frmSize.chkSetka->isChecked());
        QCOMPARE(editor.picture().pixelColor(0, 5), grey);
    }

    void withoutABackgroundTheGridGoesOnABlankPicture()
    {
        Editor editor(false);
        editor.frmSize.lblSetka->setColor(0x00666666);
        editor.frmSize.chkSetkaClick();
        QCOMPARE(editor.picture().convertToFormat(QImage::Format_RGB32), expectedGrid(500, 400, Qt::white, grey));
    }

    void settingOnlyThePenGivesTheBlankPicture()
    {
        Editor editor(false);
        editor.frmSize.chkSetka->setChecked(false); // without its click behaviour
        editor.frmSize.lblSetkaClick();
        QCOMPARE(editor.picture().size(), QSize(500, 400));
        QImage white(500, 400, QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(editor.picture().convertToFormat(QImage::Format_RGB32), white);
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
