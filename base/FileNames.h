#pragma once

#include <QString>

// Names as Windows finds them. Skins are made on Windows, whose file names
// match without regard to letter case: a skin that names "PatchUp.JPG" works
// there with a file "patchup.jpg". Here a name not found as it is spelled is
// looked for among the names that differ from it only in letter case.
namespace FileNames {

// `path` with its last name spelled as its folder spells it: unchanged when
// an entry of exactly that name exists (a file, a folder, a link, anything)
// or when no name differs from it only in letter case; otherwise the first
// such name, in name order.
QString asFound(const QString& path);

// `folder` followed by `relative` ("data/skin.ini", in this platform's
// separators, a leading separator allowed), each name after `folder` spelled
// as found.
QString asFoundBelow(const QString& folder, const QString& relative);

} // namespace FileNames
