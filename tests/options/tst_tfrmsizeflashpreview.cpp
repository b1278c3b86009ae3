// The title movie preview: the player takes the Flash area's place and
// plays the skin's movie, and the stop picture brings the area back.
#include "base/Application.h"
#include "canvas/ElementGeometry.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorFixture.h"

#include <QDir>
#include <QTest>

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

    void playTwiceKeepsThePlayerInPlace()
    {
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        const QRect placed = player()->geometry();
        click(&TfrmSize::imgPlayClick);
        QCOMPARE(player()->geometry(), placed);
        QVERIFY(player()->IsPlaying());
        QVERIFY(area()->isHidden());
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

    void aDamagedMovieEndsPlayWithTheStepsBeforeItDone()
    {
        fixture->folder.write("\\data\\logo.swf", "FWS this is no movie at all");
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QCOMPARE(fixture->dialogs.errors.size(), 1);
        QVERIFY2(fixture->dialogs.errors.first().contains("logo.swf"), qPrintable(fixture->dialogs.errors.first()));
        QVERIFY(area()->isHidden());
        QVERIFY(!player()->isHidden());
        QVERIFY(!player()->IsPlaying());
    }

    void aMissingMovieShowsAnEmptyPlayerWithoutAnError()
    {
        QFile::remove(fixture->folder.file("\\data\\logo.swf"));
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QVERIFY(fixture->dialogs.errors.isEmpty());
        QVERIFY(!player()->isHidden());
    }
};

QTEST_MAIN(TestTfrmSizeFlashPreview)
#include "tst_tfrmsizeflashpreview.moc"
