#include "options/SoundFiles.h"

#include "base/ProgramFolder.h"

#include <QFileInfo>

namespace SoundFiles {

QString path(const QString& baseName, const QString& extension)
{
    return ProgramFolder::file(QStringLiteral("\\data\\") + baseName + extension);
}

bool exists(const QString& path) { return QFileInfo(path).isFile(); }

} // namespace SoundFiles
