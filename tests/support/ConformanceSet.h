#pragma once

#include <QList>
#include <QString>

// The script conformance set: small movies, each with the trace log a
// reference player printed while it played them (INDEX.tsv lists them).
struct ConformanceCase {
    QString name;
    int frames = 1;
    QString category;
};

// The movies INDEX.tsv in `dir` lists; none when it cannot be read.
QList<ConformanceCase> conformanceCases(const QString& dir);

struct ConformanceRun {
    QString expected; // the reference log, line ends as LF
    QString actual;   // the engine's log, or the error that stopped it
    bool passes() const { return actual == expected; }
};

// Plays the movie of `c` for its frames and reads its reference log.
ConformanceRun runConformanceCase(const QString& dir, const ConformanceCase& c);
