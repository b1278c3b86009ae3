#include "movie/play/MovieFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace movie {

namespace {

// The entry of `folder` named `name`, or spelled so in another letter case.
QString findEntry(const QString& folder, const QString& name)
{
    QString exact = folder + u'/' + name;
    if (QFileInfo(exact).exists())
        return exact;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + u'/' + entry;
    return {};
}

} // namespace

MovieFolder::MovieFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        root_ = info.canonicalFilePath();
    if (root_.endsWith(u'/'))
        root_.chop(1); // the file system's root
}

QString MovieFolder::resolve(const QString& url, QString& why) const
{
    if (!isSet()) {
        why = QStringLiteral("the movie has no folder to load files from");
        return {};
    }
    // A query or a fragment after the name is no part of the file's name.
    qsizetype end = url.size();
    for (const QChar stop : {u'?', u'#'})
        if (const qsizetype at = url.indexOf(stop); at >= 0)
            end = std::min(end, at);
    QString name = QUrl::fromPercentEncoding(url.left(end).toUtf8());
    name.replace(u'\\', u'/');
    if (name.isEmpty() || name.contains(u':') || name.startsWith(u'/') || name.contains(QChar(0))) {
        why = QStringLiteral("only names relative to the movie's folder load");
        return {};
    }
    QString path = root_;
    for (const QString& part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            why = QStringLiteral("it lies outside the movie's folder");
            return {};
        }
        path = findEntry(path, part);
        if (path.isEmpty()) {
            why = QStringLiteral("there is no such file beside the movie");
            return {};
        }
    }
    // Links are followed only as far as they stay inside the folder.
    QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(root_ + u'/')) {
        why = QStringLiteral("it lies outside the movie's folder");
        return {};
    }
    return canonical;
}

std::optional<QByteArray> MovieFolder::read(const QString& url, qsizetype maxBytes, QString& why) const
{
    const QString path = resolve(url, why);
    if (path.isEmpty())
        return std::nullopt;
    // Only a regular file is opened: a pipe or a device could block or
    // never end.
    const QFileInfo info(path);
    if (!info.isFile()) {
        why = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    if (info.size() > maxBytes) {
        why = QStringLiteral("it is larger than a title may load");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        why = QStringLiteral("it is larger than a title may load");
        return std::nullopt;
    }
    return bytes;
}

} // namespace movie
