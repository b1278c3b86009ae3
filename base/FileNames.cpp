#include "base/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace FileNames {

QString asFound(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    // A link whose target is gone still holds its name.
    if (name.isEmpty() || info.exists() || info.isSymLink())
        return path;
    const QStringList entries =
        info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return path.first(path.size() - name.size()) + entry;
    }
    return path;
}

QString asFoundBelow(const QString& folder, const QString& relative)
{
    QString path = folder;
    for (const QString& name : relative.split(QDir::separator(), Qt::SkipEmptyParts))
        path = asFound(path + QDir::separator() + name);
    return path;
}

} // namespace FileNames
