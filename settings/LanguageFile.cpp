#include "settings/LanguageFile.h"

#include "settings/IniFile.h"

namespace LanguageFile {

std::optional<Texts> read(const QString& path)
{
    if (IniFile::readString(path, QStringLiteral("Main"), QStringLiteral("Program"), QStringLiteral("None"))
        != kProgramName)
        return std::nullopt;
    Texts texts;
    for (int key = 0; key <= kLastKey; ++key)
        texts.byKey.append(IniFile::readString(path, QStringLiteral("Pelmora"), QString::number(key), QString()));
    return texts;
}

} // namespace LanguageFile
