#include "base/FileWrites.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

FileWrites::StepHook& stepHook()
{
    static FileWrites::StepHook hook;
    return hook;
}

bool hookAllows(FileWrites::Step step, const QString& target) { return !stepHook() || stepHook()(step, target); }

bool renamed(const QString& source, const QString& target)
{
    std::error_code error;
    std::filesystem::rename(QFile(source).filesystemFileName(), QFile(target).filesystemFileName(), error);
    return !error;
}

// Qt has no public call that syncs a file and reports the result.
bool syncToDisk(const QFile& file)
{
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// The new file beside a target: made under a name no file has, with the
// target's permissions, and removed again unless it lands.
class NewFile {
public:
    explicit NewFile(const QString& target) : target_(target)
    {
        // Like a save through a link: the file the link points to is replaced.
        const QFileInfo info(target);
        if (info.isSymLink())
            destination_ = info.symLinkTarget();
        for (int attempt = 0; attempt < 8 && !created_; ++attempt) {
            file_.setFileName(
                destination_
                + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
            created_ = file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
            if (!created_ && !QFileInfo::exists(file_.fileName()))
                break; // not a name taken by chance: the folder refuses new files
        }
        if (created_ && QFileInfo::exists(destination_))
            file_.setPermissions(QFile::permissions(destination_));
    }
    ~NewFile()
    {
        if (created_ && !landed_) {
            file_.close();
            QFile::remove(file_.fileName());
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Every byte reaches the system, or the write fails.
    bool write(QByteArrayView bytes)
    {
        return created_ && hookAllows(FileWrites::Step::Write, target_)
            && file_.write(bytes.data(), bytes.size()) == bytes.size();
    }

    // Synced, closed, then renamed over the destination.
    bool land()
    {
        if (!created_ || !hookAllows(FileWrites::Step::Sync, target_) || !syncToDisk(file_))
            return false;
        file_.close();
        landed_ = file_.error() == QFileDevice::NoError && hookAllows(FileWrites::Step::Rename, target_)
            && renamed(file_.fileName(), destination_);
        return landed_;
    }

private:
    QString target_;
    QString destination_ = target_;
    QFile file_;
    bool created_ = false;
    bool landed_ = false;
};

} // namespace

namespace FileWrites {

bool replace(const QString& path, QByteArrayView bytes)
{
    NewFile file(path);
    return file.write(bytes) && file.land();
}

bool copy(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    NewFile out(target);
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 read = in.read(block.data(), block.size());
        if (read < 0)
            return false;
        if (read == 0)
            return out.land();
        if (!out.write(QByteArrayView(block.constData(), read)))
            return false;
    }
}

bool renameReplacing(const QString& source, const QString& target)
{
    return hookAllows(Step::Rename, target) && renamed(source, target);
}

void setStepHookForTesting(StepHook hook) { stepHook() = std::move(hook); }

} // namespace FileWrites
