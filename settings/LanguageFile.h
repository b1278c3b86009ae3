#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A language file of the folder Support: the options window's caption,
// category names and the texts of its buttons, labels and check boxes.
// Section [Main] must say Program=Corvadine; section [Pelmora] holds the
// texts under the keys "0" to "27". Files made on Windows in its Russian
// code page read unchanged, and so do UTF-8 and UTF-16 files (see
// IniEncoding); a UTF-8 mark at the start means UTF-8.
namespace LanguageFile {

// The name the Program key must hold, compared with regard to case.
inline const QString kProgramName = QStringLiteral("Corvadine");

// Key 0 is the caption, keys 1 to 6 the category names, keys 7 to 27 the
// texts of the window's controls.
constexpr int kCaptionKey = 0;
constexpr int kFirstCategoryKey = 1;
constexpr int kCategoryCount = 6;
constexpr int kFirstControlKey = 7;
constexpr int kLastKey = 27;

// The texts of an accepted file, indexed by key; a missing key gives the
// empty text.
struct Texts {
    QStringList byKey;

    const QString& caption() const { return byKey.at(kCaptionKey); }
    QStringList categoryNames() const { return byKey.mid(kFirstCategoryKey, kCategoryCount); }
};

// Empty when the file is missing or made for another program.
std::optional<Texts> read(const QString& path);

} // namespace LanguageFile
