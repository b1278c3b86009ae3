#include "base/ProgramFolder.h"

#include "base/FileNames.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& overridePath()
{
    static QString folder;
    return folder;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

void setPathForTesting(const QString& folder) { overridePath() = QDir::toNativeSeparators(folder); }

QString nativeSeparators(const QString& windowsPath)
{
    QString result = windowsPath;
    result.replace(QLatin1Char('\\'), QDir::separator());
    return result;
}

QString file(const QString& relativeWindowsPath)
{
    return FileNames::asFoundBelow(path(), nativeSeparators(relativeWindowsPath));
}

} // namespace ProgramFolder
