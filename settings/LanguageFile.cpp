#include "settings/LanguageFile.h"

#include "settings/IniFile.h"

namespace LanguageFile {

std::optional<Texts> read(const QString& path)
{
    // Only the editor reads language files: a UTF-8 mark means UTF-8 here.
    const IniFile::Snapshot file(path, Utf8Mark::MeansUtf8);
    const auto text = [&file](const QString& section, const QString& key, const QString& defaultValue) {
        return file.readString(section, key, defaultValue);
    };
    if (text(QStringLiteral("Main"), QStringLiteral("Program"), QStringLiteral("None")) != kProgramName)
        return std::nullopt;
    Texts texts;
    for (int key = 0; key <= kLastKey; ++key)
        texts.byKey.append(text(QStringLiteral("Pelmora"), QString::number(key), QString()));
    return texts;
}

} // namespace LanguageFile
