#pragma once

#include "settings/IniFile.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// The value forms of the settings files on top of IniFile: integers are
// written in decimal, booleans as "1" and "0".
namespace IniValues {

// An integer text: leading spaces and tabs, an optional sign, then decimal
// digits, or hexadecimal digits after "$", "0x", "0X", "x" or "X", and
// nothing after them. Decimal values must lie in the signed 32-bit range;
// hexadecimal ones may use all 32 bits ("$FFFFFFFF" is -1), as colours do.
// Empty for any other text.
std::optional<std::int32_t> parseInteger(QStringView text);

// The integer of a key, or `defaultValue` when the key is missing or its
// text is no valid integer.
int readInteger(const IniFile::Snapshot& file, const QString& section, const QString& key, int defaultValue);

// A boolean key: read as an integer with the default 1 or 0; any non-zero
// value is true.
bool readBool(const IniFile::Snapshot& file, const QString& section, const QString& key, bool defaultValue);

// Written into a batch of keys; these throw as IniFile::Batch does.
void writeInteger(IniFile::Batch& file, const QString& section, const QString& key, int value);
void writeBool(IniFile::Batch& file, const QString& section, const QString& key, bool value);

} // namespace IniValues
