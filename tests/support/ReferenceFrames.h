#pragma once

#include <QString>
#include <vector>

// A set of reference frames: movies, each with the picture a reference
// player drew of one of its frames (NAME.swf beside NAME.png).
struct ReferencePair {
    QString name;
    QString path; // without the extension
    int frame = 1;
};

// The pairs in `dir`, by name, each at the frame the column "frame" of
// the set's MANIFEST.tsv gives (whose first line names the columns); the
// first frame where it gives none. None when the folder is not there.
std::vector<ReferencePair> referencePairs(const QString& dir);
