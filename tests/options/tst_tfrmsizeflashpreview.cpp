// The title movie preview: the player takes the Flash area's place and
// plays the skin's movie, and the stop picture brings the area back.
#include "base/Application.h"
#include "canvas/ElementGeometry.h"
#include "canvas/SkinFile.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "movie/Limits.h"
#include "options/CategoryTree.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorFixture.h"
#include "tests/support/HostileMovies.h"

#include <QDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestTfrmSizeFlashPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;
    TForm1* form = nullptr;
    TfrmSize* options = nullptr;

    TShockwaveFlash* player() const { return form->FlashPlayer; }
    QWidget* area() const { return form->TmpFlash; }
    void click(void (TfrmSize::*behaviour)())
    {
        TfrmSize* window = options;
        Application::runBehaviour([window, behaviour] { (window->*behaviour)(); });
    }
    QString expectedMoviePath() const
    {
        return QDir::toNativeSeparators(fixture->folder.path()) + QDir::separator() + QDir::separator() + "data"
            + QDir::separator() + "logo.swf";
    }

private slots:
    void init()
    {
        fixture = std::make_unique<EditorFixture>();
        fixture->folder.copySampleSkin();
        Editor& editor = fixture->show();
        form = &editor.Form1;
        options = &editor.frmSize;
        QVERIFY2(fixture->dialogs.errors.isEmpty(), qPrintable(fixture->dialogs.errors.join('\n')));
    }
    void cleanup() { fixture.reset(); }

    void withoutTheFlashOptionBothPicturesDoNothing()
    {
        QVERIFY(!options->chkFlash->isChecked());
        const QRect playerBefore = player()->geometry();
        click(&TfrmSize::imgPlayClick);
        click(&TfrmSize::imdStopClick);
        QVERIFY(player()->isHidden());
        QVERIFY(area()->isHidden());
        QCOMPARE(player()->geometry(), playerBefore);
        QVERIFY(player()->Movie().isEmpty());
    }

    void playLaysThePlayerExactlyOverTheAreaAndStopBringsTheAreaBack()
    {
        options->chkFlash->setState(true);
        // The area moved and resized first, as with the mouse.
        Element::setBounds(area(), 140, 30, 200, 50);
        const QRect rectangle = area()->geometry();
        click(&TfrmSize::imgPlayClick);
        QVERIFY(fixture->dialogs.errors.isEmpty());
        QVERIFY(area()->isHidden());
        QVERIFY(!player()->isHidden());
        QCOMPARE(player()->geometry(), rectangle);
        QCOMPARE(player()->Movie(), expectedMoviePath());
        QVERIFY(player()->IsPlaying());

        click(&TfrmSize::imdStopClick);
        QVERIFY(!area()->isHidden());
        QVERIFY(player()->isHidden());
        QCOMPARE(area()->geometry(), rectangle);
        QVERIFY(!player()->IsPlaying());
    }

    // The second Play hands the movie over again, which starts it anew.
    void playTwiceKeepsThePlayerInPlaceAndStartsTheMovieOver()
    {
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        const QRect placed = player()->geometry();
        QTRY_VERIFY_WITH_TIMEOUT(player()->CurrentFrame() > 2, 3000);
        click(&TfrmSize::imgPlayClick);
        QCOMPARE(player()->geometry(), placed);
        QVERIFY(player()->CurrentFrame() <= 1); // read anew: none until it is read, then the first
        QVERIFY(player()->IsPlaying());
        QVERIFY(area()->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(player()->CurrentFrame() > 1, 3000);
    }

    // With the Flash area the leftmost and topmost element, the preview must
    // not let the canvas shift the others: nothing Save writes may change.
    void playAndStopLeaveTheLayoutAsItWas()
    {
        options->chkFlash->setState(true);
        Element::setBounds(area(), -20, -15, 200, 50); // past the background's corner
        QCOMPARE(area()->pos(), QPoint(0, 0));
        QCOMPARE(form->imgBckGround->pos(), QPoint(20, 15));
        const auto bounds = [this] {
            QList<QRect> all;
            for (const QWidget* element : form->elements())
                if (element != player())
                    all.append(element->geometry());
            return all;
        };
        const QList<QRect> before = bounds();
        const QSize canvasBefore = form->size();
        const QString skinBefore = fixture->folder.file("\\before.ini");
        SkinFile::write(skinBefore, *form, *options);

        click(&TfrmSize::imgPlayClick);
        QCOMPARE(bounds(), before);
        QCOMPARE(player()->geometry(), area()->geometry());
        QCOMPARE(form->size(), canvasBefore);
        click(&TfrmSize::imdStopClick);
        QCOMPARE(bounds(), before);
        QCOMPARE(form->size(), canvasBefore);

        const QString skinAfter = fixture->folder.file("\\after.ini");
        SkinFile::write(skinAfter, *form, *options);
        QCOMPARE(fixture->folder.read("\\after.ini"), fixture->folder.read("\\before.ini"));
    }

    // Unticking the option during a preview hides the player, which then
    // does not step its movie until it is played again.
    void aHiddenPlayerDoesNotStepItsMovie()
    {
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QTRY_VERIFY_WITH_TIMEOUT(player()->CurrentFrame() > 1, 3000);
        options->chkFlash->setState(false);
        const int hiddenAt = player()->CurrentFrame();
        QTest::qWait(150);
        QCOMPARE(player()->CurrentFrame(), hiddenAt);
    }

    void stopWithoutPlayPlacesTheHiddenPlayer()
    {
        options->chkFlash->setState(true);
        click(&TfrmSize::imdStopClick);
        QVERIFY(!area()->isHidden());
        QVERIFY(player()->isHidden());
        QCOMPARE(player()->geometry(), area()->geometry());
        QCOMPARE(player()->Movie(), expectedMoviePath());
        QVERIFY(!player()->IsPlaying());
    }

    void uncheckingDuringAPreviewShowsTheTitlePicture()
    {
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        options->chkFlash->setState(false);
        QVERIFY(player()->isHidden());
        QVERIFY(area()->isHidden());
        QVERIFY(!form->imgWel->isHidden());
        options->chkFlash->setState(true);
        QVERIFY(!area()->isHidden());
        QVERIFY(player()->isHidden());
        click(&TfrmSize::imgPlayClick);
        QVERIFY(!player()->isHidden());
    }

    // The sample title's chime sounds in the preview; Stop, and unticking
    // the Flash option during a preview, silence it.
    void thePreviewSoundsUntilStoppedOrUnticked()
    {
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QTRY_VERIFY_WITH_TIMEOUT(player()->IsSounding(), 5000);
        click(&TfrmSize::imdStopClick);
        QVERIFY(!player()->IsSounding());

        click(&TfrmSize::imgPlayClick);
        QTRY_VERIFY_WITH_TIMEOUT(player()->IsSounding(), 5000);
        options->chkFlash->setState(false);
        QVERIFY(!player()->IsSounding());
    }

    void aDamagedMovieEndsPlayWithTheStepsBeforeItDone()
    {
        fixture->folder.write("\\data\\logo.swf", "FWS this is no movie at all");
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QTRY_COMPARE(fixture->dialogs.errors.size(), 1); // when its reading ends
        // The message names the file with single separators.
        const QString named = QDir::toNativeSeparators(fixture->folder.path() + "/data/logo.swf ");
        QVERIFY2(fixture->dialogs.errors.first().startsWith(named), qPrintable(fixture->dialogs.errors.first()));
        QVERIFY(area()->isHidden());
        QVERIFY(!player()->isHidden());
        QVERIFY(!player()->IsPlaying());
    }

    // A pipe in the movie's place is reported, never waited on; a movie
    // named in another letter case, as on Windows, is played.
    void aPipeIsReportedAndAnotherLetterCaseIsFound()
    {
        const QString movie = fixture->folder.file("\\data\\logo.swf");
        QVERIFY(QFile::rename(movie, fixture->folder.file("\\data\\LOGO.SWF")));
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QVERIFY(fixture->dialogs.errors.isEmpty());
        QVERIFY(player()->Movie().endsWith("LOGO.SWF"));
        QVERIFY(player()->IsPlaying());
#ifdef Q_OS_UNIX
        QVERIFY(QFile::remove(fixture->folder.file("\\data\\LOGO.SWF")));
        QCOMPARE(::mkfifo(QFile::encodeName(movie).constData(), 0600), 0);
        click(&TfrmSize::imgPlayClick);
        QTRY_COMPARE(fixture->dialogs.errors,
                     QStringList{QDir::toNativeSeparators(fixture->folder.path() + "/data/logo.swf")
                                 + " cannot be opened: it is not a regular file."});
        QVERIFY(!player()->IsPlaying());
#endif
    }

    void aMissingMovieShowsAnEmptyPlayerWithoutAnError()
    {
        QFile::remove(fixture->folder.file("\\data\\logo.swf"));
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QVERIFY(fixture->dialogs.errors.isEmpty());
        QVERIFY(!player()->isHidden());
    }

    // The title is read and played on the engine's own thread: while a title
    // that takes seconds to decode is read, the editor answers a click on
    // the category tree at once, and Stop ends the reading.
    void theEditorAnswersWhileAHeavyTitleIsRead()
    {
        fixture->folder.write("\\data\\logo.swf", hostile::jpegScans(movie::limits::kMaxJpegScans, 8192));
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QVERIFY(player()->isLoading());
        QVERIFY(player()->IsPlaying());

        options->setCategoryNames({"О программе", "Настройки", "Заголовок", "Музыка", "Цветовые параметры", "Разное"});
        options->rebuildTree();
        CategoryTree* tree = options->treeMain;
        tree->expandAll();
        QTreeWidgetItem* music = tree->topLevelItem(1)->child(1);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(music).center());
        QVERIFY(options->pnlMusic->isVisible());
        QVERIFY(player()->isLoading()); // answered while the title is still being read

        click(&TfrmSize::imdStopClick);
        QVERIFY(!player()->isLoading());
        QVERIFY(!player()->IsPlaying());
        QVERIFY(fixture->dialogs.errors.isEmpty());
    }
};

QTEST_MAIN(TestTfrmSizeFlashPreview)
#include "tst_tfrmsizeflashpreview.moc"
