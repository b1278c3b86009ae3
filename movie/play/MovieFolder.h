#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace movie {

// The files beside a title movie that its scripts may load (loadMovie,
// XML.load, LoadVars.load, ...). A script names a file relative to the
// movie's folder, with "/" or "\" between folders; only a regular file
// inside that folder is read. A name that would leave it (by "..", a root,
// a drive, a scheme such as "http:", or a link that points out), a folder,
// a pipe or a device is never opened, and nothing reaches the network. A
// name matches a file spelled in another letter case, as on Windows.
class MovieFolder {
public:
    MovieFolder() = default; // none: no file loads
    explicit MovieFolder(const QString& path);

    bool isSet() const { return !root_.isEmpty(); }

    // The bytes of the file `url` names, if it holds at most `maxBytes`;
    // nothing when it cannot be read, and then why in `why`.
    std::optional<QByteArray> read(const QString& url, qsizetype maxBytes, QString& why) const;

private:
    // The file's path inside the folder, or empty (and why) when the name
    // finds none there.
    QString resolve(const QString& url, QString& why) const;

    QString root_; // canonical, without a trailing "/"
};

} // namespace movie
