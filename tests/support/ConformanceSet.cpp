#include "tests/support/ConformanceSet.h"

#include "movie/MovieError.h"
#include "movie/play/TraceLog.h"

#include <QDir>
#include <QFile>

QList<ConformanceCase> conformanceCases(const QString& dir)
{
    QList<ConformanceCase> list;
    QFile index(QDir(dir).filePath(QStringLiteral("INDEX.tsv")));
    if (dir.isEmpty() || !index.open(QIODevice::ReadOnly | QIODevice::Text))
        return list;
    while (!index.atEnd()) {
        const QString line = QString::fromUtf8(index.readLine()).trimmed();
        const QStringList columns = line.split(u'\t');
        if (line.startsWith(u'#') || columns.size() < 3)
            continue;
        list.append({columns[0], columns[1].toInt(), columns[2]});
    }
    return list;
}

ConformanceRun runConformanceCase(const QString& dir, const ConformanceCase& c)
{
    const QDir folder(QDir(dir).filePath(c.name));
    ConformanceRun run;
    QFile expected(folder.filePath(QStringLiteral("output.txt")));
    if (expected.open(QIODevice::ReadOnly))
        run.expected = QString::fromUtf8(expected.readAll()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    else
        run.expected = QStringLiteral("(no output.txt)");
    try {
        run.actual = movie::traceLog(movie::Movie::load(folder.filePath(QStringLiteral("test.swf"))), c.frames);
    } catch (const movie::MovieError& e) {
        run.actual = e.text();
    }
    return run;
}
