#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <optional>

// Files the editor reads. A skin comes from anywhere, so only a regular file
// (reached directly or through links) is ever opened: opening a named pipe
// waits for a program to write to it, and a device can be read without end.
// Anything else is a file that cannot be opened, and is never touched.
namespace FileReads {

// Whether `path` names a regular file, through any links.
bool isRegularFile(const QString& path);

// Opens `file` (its name set) for reading when it names a regular file.
bool open(QFile& file);

// The whole of a regular file of at most `maxBytes` bytes; nothing when it is
// anything else, larger, or cannot be read to its end.
std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes);

// Sees the path of every file opened for reading, before it is opened (tests
// count reads with it). An empty hook removes the one set before.
using OpenHook = std::function<void(const QString& path)>;
void setOpenHookForTesting(OpenHook hook);

} // namespace FileReads
