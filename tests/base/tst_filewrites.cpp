// Writes that land whole: through a link the user chose, over a link of a
// name the editor makes up, keeping the file's permissions, and removing what
// a write that was killed left behind.
#include "base/FileWrites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

constexpr QFile::Permissions kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

} // namespace

class TestFileWrites : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;

    QString file(const QString& name) const { return dir_->filePath(name); }
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile out(file(name));
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(bytes), bytes.size());
    }
    void link(const QString& target, const QString& name) const { QVERIFY(QFile::link(file(target), file(name))); }

private slots:
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }
    void cleanup() { FileWrites::setStepHookForTesting({}); }

    void aReplacementWritesThroughLinks()
    {
        put("outside.ini", "old");
        link("outside.ini", "link.ini");
        link("link.ini", "chain.ini");
        QVERIFY(FileWrites::replace(file("chain.ini"), "new"));
        QCOMPARE(QFileInfo(file("chain.ini")).symLinkTarget(), file("link.ini"));
        QCOMPARE(QFileInfo(file("link.ini")).symLinkTarget(), file("outside.ini"));
        QCOMPARE(contents(file("outside.ini")), QByteArray("new"));

        // A link to a file that is gone makes that file.
        link("made.ini", "dangling.ini");
        QVERIFY(FileWrites::replace(file("dangling.ini"), "made"));
        QVERIFY(QFileInfo(file("dangling.ini")).isSymLink());
        QCOMPARE(contents(file("made.ini")), QByteArray("made"));
    }

    void copiesAndRenamesReplaceALinkNeverItsTarget()
    {
        put("outside.txt", "not the editor's");
        put("skin.ini", "skin");
        link("outside.txt", "skin.ini.BAK");
        QVERIFY(FileWrites::copy(file("skin.ini"), file("skin.ini.BAK")));
        QVERIFY(!QFileInfo(file("skin.ini.BAK")).isSymLink());
        QCOMPARE(contents(file("skin.ini.BAK")), QByteArray("skin"));

        link("outside.txt", "music.mp3");
        QVERIFY(FileWrites::renameReplacing(file("skin.ini.BAK"), file("music.mp3")));
        QVERIFY(!QFileInfo(file("music.mp3")).isSymLink());
        QCOMPARE(contents(file("music.mp3")), QByteArray("skin"));
        QCOMPARE(contents(file("outside.txt")), QByteArray("not the editor's"));
    }

    void permissionsAreKept()
    {
#ifdef Q_OS_UNIX
        const QFile::Permissions privateFile = QFile::ReadOwner | QFile::WriteOwner;
        put("private.ini", "old");
        QVERIFY(QFile::setPermissions(file("private.ini"), privateFile));
        QVERIFY(FileWrites::replace(file("private.ini"), "new"));
        QCOMPARE(QFile::permissions(file("private.ini")) & kEveryone, privateFile);
        // A copy, such as a backup, is as private as its source.
        QVERIFY(FileWrites::copy(file("private.ini"), file("private.ini.BAK")));
        QCOMPARE(QFile::permissions(file("private.ini.BAK")) & kEveryone, privateFile);
#else
        QSKIP("POSIX permissions");
#endif
    }

    // A write killed after its new file was made leaves that file; the next
    // write of the same file removes it, and nothing else.
    void theNextWriteRemovesWhatAKilledWriteLeft()
    {
#ifdef Q_OS_UNIX
        put("skin.ini", "old");
        const QStringList others = {"skin.ini.BAK", "skin.ini.0123ABCD", "skin.ini.0123abc", "skin.ini.0123abcd.txt",
                                    "myskin.ini.0123abcd"};
        for (const QString& name : others)
            put(name, "someone else's");
        QVERIFY(QDir().mkpath(file("skin.ini.89abcdef")));
        const auto entries = [this] {
            QStringList names = QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            names.sort();
            return names;
        };
        const QStringList before = entries();

        const pid_t child = ::fork();
        if (child == 0) {
            FileWrites::setStepHookForTesting([](FileWrites::Step step, const QString&) {
                if (step == FileWrites::Step::Sync)
                    ::raise(SIGKILL);
                return true;
            });
            FileWrites::replace(file("skin.ini"), "new");
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QStringList left = entries();
        for (const QString& name : before)
            left.removeOne(name);
        QCOMPARE(left.size(), 1);
        QCOMPARE(contents(file(left[0])), QByteArray("new"));

        QVERIFY(FileWrites::replace(file("skin.ini"), "newer"));
        QCOMPARE(entries(), before);
        QCOMPARE(contents(file("skin.ini")), QByteArray("newer"));
#else
        QSKIP("fork and a real kill");
#endif
    }

    void theRenameIsSyncedToo()
    {
        QList<int> steps;
        FileWrites::setStepHookForTesting([&](FileWrites::Step step, const QString&) {
            steps.append(int(step));
            return step != FileWrites::Step::SyncFolder;
        });
        // The new file is in place, but not known to be on the disk: no success.
        QVERIFY(!FileWrites::replace(file("skin.ini"), "new"));
        using Step = FileWrites::Step;
        QCOMPARE(steps, QList({int(Step::Write), int(Step::Sync), int(Step::Rename), int(Step::SyncFolder)}));
    }
};

QTEST_MAIN(TestFileWrites)
#include "tst_filewrites.moc"
