// The title movie preview: the player takes the Flash area's place and
// plays the skin's movie, and the stop picture brings the area back.
#include "app/Application.h"
#include "canvas/ElementGeometry.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/TfrmSize.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"
#include "tests/support/EditorWindows.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QDir>
#include <QTest>

class TestFlashPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<EditorWindows> editor;
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
        return QDir::toNativeSeparators(folder->path()) + QDir::separator() + QDir::separator() + "data"
            + QDir::separator() + "logo.swf";
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempProgramFolder>();
        folder->copySampleSkin();
        dialogs = std::make_unique<ScriptedDialogs>();
        Application::setDialogs(dialogs.get());
        editor = std::make_unique<EditorWindows>();
        form = &editor->form1;
        options = &editor->frmSize;
        editor->show();
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join('\n')));
    }
    void cleanup()
    {
        editor.reset();
        Application::setDialogs(nullptr);
        dialogs.reset();
        folder.reset();
    }

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
        QVERIFY(dialogs->errors.isEmpty());
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
        folder->write("\\data\\logo.swf", "FWS this is no movie at all");
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QCOMPARE(dialogs->errors.size(), 1);
        QVERIFY2(dialogs->errors.first().contains("logo.swf"), qPrintable(dialogs->errors.first()));
        QVERIFY(area()->isHidden());
        QVERIFY(!player()->isHidden());
        QVERIFY(!player()->IsPlaying());
    }

    void aMissingMovieShowsAnEmptyPlayerWithoutAnError()
    {
        QFile::remove(folder->file("\\data\\logo.swf"));
        options->chkFlash->setState(true);
        click(&TfrmSize::imgPlayClick);
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(!player()->isHidden());
    }
};

QTEST_MAIN(TestFlashPreview)
#include "tst_tfrmsizeflashpreview.moc"
