#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace movie::avm1 {

// The URL text form scripts use for variables (escape and unescape,
// LoadVars, loadVariables): the text's UTF-8 bytes, letters and digits as
// they are and every other byte as %XX.
QString urlEscape(const QString& text);
// Undoes %XX (a "%" without two hex digits after it is dropped with the
// character that breaks it) and reads "+" as a space.
QString urlUnescape(const QString& text);
// "name=value&name=value", each side unescaped; a pair without "=" has an
// empty value.
std::vector<std::pair<QString, QString>> urlVariables(const QString& text);

} // namespace movie::avm1
