#include "tests/support/FullDisk.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#endif

namespace {

constexpr qint64 kPage = 4096;

#ifdef Q_OS_LINUX
// The soft file-size limit; the hard one stays, so it can be raised again.
bool setFileSizeLimit(rlim_t bytes)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return false;
    limit.rlim_cur = std::min(bytes, limit.rlim_max);
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}
#endif

} // namespace

FullDisk::FullDisk(const QString& folder) : folder_(folder)
{
#ifdef Q_OS_LINUX
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=2m,mode=0700") == 0) {
        method_ = Method::Tmpfs;
        return;
    }
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_max == RLIM_INFINITY) {
        std::signal(SIGXFSZ, SIG_IGN);
        method_ = Method::FileSizeLimit;
    }
#endif
}

FullDisk::~FullDisk()
{
    release();
#ifdef Q_OS_LINUX
    if (method_ == Method::Tmpfs)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
#endif
}

QString FullDisk::method() const
{
    switch (method_) {
    case Method::Tmpfs:
        return QStringLiteral("a 2 MiB tmpfs mounted over the folder and filled");
    case Method::FileSizeLimit:
        return QStringLiteral("the process's file-size limit (RLIMIT_FSIZE, SIGXFSZ ignored)");
    case Method::None:
        break;
    }
    return {};
}

void FullDisk::fill(qint64 roomBytes)
{
#ifdef Q_OS_LINUX
    if (method_ == Method::FileSizeLimit) {
        limited_ = setFileSizeLimit(rlim_t(roomBytes));
        QVERIFY2(limited_, "cannot lower the file-size limit");
        return;
    }
    if (method_ != Method::Tmpfs)
        return;
    QFile filler(QDir(folder_).filePath(fillerName()));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
    const QByteArray block(64 * 1024, 'f');
    while (filler.write(block) == block.size()) {}
    // Written up to the last page; the pages given back are the room.
    const qint64 room = (roomBytes + kPage - 1) / kPage * kPage;
    QVERIFY(filler.resize(std::max<qint64>(0, filler.size() - room)));
#else
    Q_UNUSED(roomBytes);
#endif
}

void FullDisk::release()
{
#ifdef Q_OS_LINUX
    if (limited_)
        limited_ = !setFileSizeLimit(RLIM_INFINITY);
    if (method_ == Method::Tmpfs)
        QFile::remove(QDir(folder_).filePath(fillerName()));
#endif
}
