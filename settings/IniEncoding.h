#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Settings files are 8-bit text. Files written by this editor are UTF-8;
// language files made on Windows are in its Russian code page, Windows-1251.
// A file is taken as UTF-8 when all of it is valid UTF-8 (plain ASCII is),
// otherwise as Windows-1251. ASCII reads the same either way.
enum class IniEncoding { Utf8, Windows1251 };

namespace IniText {

// The encoding of a whole file's bytes.
IniEncoding detect(QByteArrayView fileBytes);

QString decode(QByteArrayView bytes, IniEncoding encoding);

// Empty when a character has no byte in the encoding (Windows-1251 holds
// Cyrillic and Latin letters only), so a text is never written garbled.
std::optional<QByteArray> encode(QStringView text, IniEncoding encoding);

} // namespace IniText
