#include "base/FileWrites.h"

#include "base/FileReads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

FileWrites::StepHook& stepHook()
{
    static FileWrites::StepHook hook;
    return hook;
}

bool hookAllows(FileWrites::Step step, const QString& target) { return !stepHook() || stepHook()(step, target); }

// Qt has no public call that syncs a file and reports the result.
bool syncToDisk(const QFile& file)
{
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// A rename is a change of its folder, which reaches the disk when the folder
// is synced. Windows offers no handle of a folder to sync; its file system
// journals the rename itself.
bool syncFolderOf(const QString& path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true;
#else
    const int folder =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return false;
    const bool synced = ::fsync(folder) == 0;
    ::close(folder);
    return synced;
#endif
}

bool renamed(const QString& source, const QString& target)
{
    std::error_code error;
    std::filesystem::rename(QFile(source).filesystemFileName(), QFile(target).filesystemFileName(), error);
    return !error;
}

// After the rename of a write to `target` that made `renamedTo`: true once
// the rename is on the disk too.
bool folderSynced(const QString& target, const QString& renamedTo)
{
    return hookAllows(FileWrites::Step::SyncFolder, target) && syncFolderOf(renamedTo);
}

// The file a name stands for at the end of its links; it may not exist yet.
QString throughLinks(const QString& path)
{
    QString current = path;
    for (int link = 0; link < 40; ++link) { // a loop of links ends somewhere
        const QFileInfo info(current);
        const QString next = info.isSymLink() ? info.symLinkTarget() : QString();
        if (next.isEmpty())
            break;
        current = next;
    }
    return current;
}

// The name of a new file beside `destination`: its name, a dot and eight
// hexadecimal digits.
bool isNewFileName(const QString& name, const QString& destinationName)
{
    constexpr qsizetype kDigits = 8;
    if (name.size() != destinationName.size() + 1 + kDigits || !name.startsWith(destinationName)
        || name[destinationName.size()] != u'.')
        return false;
    const QStringView digits = QStringView(name).last(kDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
}

// New files of `destination` that an earlier write left behind when it was
// cut off. Only regular files: a link or a folder of such a name is no file
// this editor made.
void removeLeftovers(const QString& destination)
{
    const QFileInfo info(destination);
    const QDir folder = info.dir();
    const QString name = info.fileName();
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QFileInfo leftover(folder.filePath(entry));
        if (isNewFileName(entry, name) && leftover.isFile() && !leftover.isSymLink())
            QFile::remove(leftover.filePath());
    }
}

// The new file beside a destination: made under a name no file has, with the
// given permissions, and removed again unless it lands.
class NewFile {
public:
    NewFile(const QString& target, const QString& destination, QFile::Permissions permissions)
        : target_(target), destination_(destination)
    {
        removeLeftovers(destination_);
        for (int attempt = 0; attempt < 8 && !created_; ++attempt) {
            file_.setFileName(
                destination_
                + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
            created_ = file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
            if (!created_ && !QFileInfo::exists(file_.fileName()))
                break; // not a name taken by chance: the folder refuses new files
        }
        if (created_ && permissions)
            file_.setPermissions(permissions);
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
        return landed_ && folderSynced(target_, destination_);
    }

private:
    QString target_;
    QString destination_;
    QFile file_;
    bool created_ = false;
    bool landed_ = false;
};

} // namespace

namespace FileWrites {

bool replace(const QString& path, QByteArrayView bytes)
{
    const QString destination = throughLinks(path);
    // The file keeps its permissions; a new one gets the usual ones.
    NewFile file(path, destination,
                 QFileInfo::exists(destination) ? QFile::permissions(destination) : QFile::Permissions());
    return file.write(bytes) && file.land();
}

bool copy(const QString& source, const QString& target)
{
    QFile in(source);
    if (!FileReads::open(in))
        return false;
    NewFile out(target, target, in.permissions());
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
    return hookAllows(Step::Rename, target) && renamed(source, target) && folderSynced(target, target);
}

} // namespace FileWrites

void FileWrites::setStepHookForTesting(StepHook hook) { stepHook() = std::move(hook); }
