// The real dialogs of the program, Qt's own, answered from a timer as a
// user would answer them: filter entries kept by position, "*.*" listing
// every file, names never given a wildcard, boxes in plain text, and every
// dialog above the always-on-top options window.
#include "platform/QtDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QStringList kMusicFilters = {"mp3 File   (*.mp3)", "Wav File  (*.wav)", "All Files    (*.*)"};

// Answers the next modal dialog of type D with `answer` once it shows.
template <typename D>
void whenShown(std::function<void(D&)> answer)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(*dialog);
        }
    });
    poll->start(10);
}

// Picks an entry of "Files of type" as a user does.
void pickEntry(QFileDialog& dialog, int index)
{
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    types->setCurrentIndex(index);
    emit types->activated(index);
}

QString typedName(const QFileDialog& dialog)
{
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
}

// The names the dialog lists, once it lists `expected` of them or five
// seconds have passed: the folder is read in the background, a few names
// at a time.
QStringList listedNames(const QFileDialog& dialog, int expected)
{
    const auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (!QTest::qWaitFor([list, expected] { return list->model()->rowCount(list->rootIndex()) >= expected; }, 5000))
        qWarning("the dialog lists fewer names than expected");
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names << list->model()->index(row, 0, list->rootIndex()).data().toString();
    return names;
}

// Confirms the dialog with its Open or Save button.
void confirm(QFileDialog& dialog)
{
    const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return button->click();
}

bool inFront(const QWidget& dialog) { return dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

} // namespace

class TestQtDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QtDialogs dialogs_{false};

    // An empty file of that name in the test's folder.
    QString file(const QString& name) const
    {
        QFile out(dir_.filePath(name));
        if (!out.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(out.fileName()));
        return out.fileName();
    }

private slots:
    void theEntryPickedIsRememberedByItsPlace()
    {
        const QString wav = file("clip.wav");
        whenShown<QFileDialog>([&](QFileDialog& dialog) {
            QVERIFY(inFront(dialog));
            pickEntry(dialog, 1);
            confirm(dialog);
        });
        const auto choice = dialogs_.openFile({wav, kMusicFilters, 0});
        QVERIFY(choice);
        QCOMPARE(choice->path, wav);
        QCOMPARE(choice->filterIndex, 1);

        // Shown again with that entry, the dialog opens on it.
        int shownEntry = -1;
        whenShown<QFileDialog>([&](QFileDialog& dialog) {
            shownEntry = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentIndex();
            dialog.reject();
        });
        QVERIFY(!dialogs_.openFile({wav, kMusicFilters, choice->filterIndex}));
        QCOMPARE(shownEntry, 1);
    }

    void allFilesListsNamesWithoutADot()
    {
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("listed")));
        file("listed/music");
        file("listed/song.mp3");
        QStringList listed;
        whenShown<QFileDialog>([&](QFileDialog& dialog) {
            listed = listedNames(dialog, 2);
            dialog.reject();
        });
        dialogs_.openFile({dir_.filePath("listed/song.mp3"), kMusicFilters, 2});
        listed.sort();
        QCOMPARE(listed, QStringList({"music", "song.mp3"}));
    }

    void pickingAllFilesAgainKeepsTheProposedName()
    {
        QString proposed;
        whenShown<QFileDialog>([&](QFileDialog& dialog) {
            QVERIFY(inFront(dialog));
            pickEntry(dialog, 0);
            proposed = typedName(dialog);
            confirm(dialog);
        });
        const auto choice = dialogs_.saveFile({dir_.filePath("skin.ini"), {"All Files    (*.*)"}, 0});
        QCOMPARE(proposed, QStringLiteral("skin.ini"));
        QVERIFY(choice);
        QCOMPARE(choice->path, dir_.filePath("skin.ini"));
        QCOMPARE(choice->filterIndex, 0);
    }

    // Without a data folder the dialog opens in the program folder above it,
    // not in the working directory.
    void aMissingFolderOpensTheNearestOneAboveIt()
    {
        QString opened;
        whenShown<QFileDialog>([&](QFileDialog& dialog) {
            opened = dialog.directory().absolutePath();
            confirm(dialog);
        });
        const auto choice = dialogs_.saveFile({dir_.filePath("data/new/skin.ini"), {"All Files    (*.*)"}, 0});
        QCOMPARE(opened, dir_.path());
        QVERIFY(choice);
        QCOMPARE(choice->path, dir_.filePath("skin.ini"));
    }

    void boxesShowTheirTextAsTyped()
    {
        const QString text = QStringLiteral("Данные были удачно сохранены в файл /home/<b>x</b>/data/skin.ini");
        for (const bool error : {false, true}) {
            QString shown;
            Qt::TextFormat format = Qt::AutoText;
            bool front = false;
            whenShown<QMessageBox>([&](QMessageBox& box) {
                const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                shown = label->text();
                format = label->textFormat();
                front = inFront(box);
                box.button(QMessageBox::Ok)->click();
            });
            if (error)
                dialogs_.showError(text);
            else
                dialogs_.showMessage(QStringLiteral("Сообщение..."), text);
            QCOMPARE(shown, text);
            QCOMPARE(format, Qt::PlainText);
            QVERIFY(front);
        }
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
