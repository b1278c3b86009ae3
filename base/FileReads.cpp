#include "base/FileReads.h"

#include <QFileInfo>

namespace {

FileReads::OpenHook& openHook()
{
    static FileReads::OpenHook hook;
    return hook;
}

} // namespace

namespace FileReads {

bool isRegularFile(const QString& path)
{
    // QFileInfo follows links; a pipe, a socket or a device is no file to it.
    const QFileInfo info(path);
    return info.isFile();
}

bool open(QFile& file)
{
    if (!isRegularFile(file.fileName()))
        return false;
    if (openHook())
        openHook()(file.fileName());
    return file.open(QIODevice::ReadOnly);
}

std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!open(file) || file.size() > maxBytes)
        return std::nullopt;
    // Read to the end, which may not be where the size said: the file may
    // have grown since, or be one whose size the system does not know.
    QByteArray bytes;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 read = file.read(block.data(), block.size());
        if (read < 0 || bytes.size() + read > maxBytes)
            return std::nullopt;
        if (read == 0)
            return bytes;
        bytes.append(block.constData(), read);
    }
}

void setOpenHookForTesting(OpenHook hook) { openHook() = std::move(hook); }

} // namespace FileReads
