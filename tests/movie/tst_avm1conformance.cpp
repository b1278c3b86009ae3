// The script conformance set: small movies with the trace log a reference
// player printed for them. Every movie in the checked-in list of passing
// ones (avm1-conformance-passing.txt) must still give exactly that log; the
// others run too and are reported, so that a newly passing one can be
// added to the list.

#include "MovieTestKit.h"

#include "movie/MovieError.h"
#include "movie/TraceLog.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

struct Case {
    QString name;
    int frames = 1;
    QString category;
};

QString conformanceDir() { return kit::sharedFile(QStringLiteral("avm1-conformance")); }

QList<Case> cases()
{
    QList<Case> list;
    QFile index(QDir(conformanceDir()).filePath(QStringLiteral("INDEX.tsv")));
    if (conformanceDir().isEmpty() || !index.open(QIODevice::ReadOnly | QIODevice::Text))
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

QSet<QString> passingList()
{
    QSet<QString> names;
    QFile file(QStringLiteral(AVM1_PASSING_LIST));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.isEmpty() && !line.startsWith(u'#'))
                names.insert(line);
        }
    }
    return names;
}

QString normalised(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

} // namespace

class Avm1ConformanceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (cases().isEmpty())
            QSKIP("the conformance set (../shared/avm1-conformance) is not here");
        QVERIFY2(!passingList().isEmpty(), "the list of passing movies is missing");
    }

    void movie_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("listed");
        const QSet<QString> passing = passingList();
        for (const Case& c : cases())
            QTest::addRow("%s/%s", qPrintable(c.category), qPrintable(c.name)) << c.frames << passing.contains(c.name);
    }
    void movie()
    {
        QFETCH(int, frames);
        QFETCH(bool, listed);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).section(u'/', 1);
        const QDir dir(QDir(conformanceDir()).filePath(name));
        QFile expectedFile(dir.filePath(QStringLiteral("output.txt")));
        QVERIFY(expectedFile.open(QIODevice::ReadOnly));
        const QString expected = normalised(QString::fromUtf8(expectedFile.readAll()));
        QString actual;
        try {
            actual = movie::traceLog(movie::Movie::load(dir.filePath(QStringLiteral("test.swf"))), frames);
        } catch (const movie::MovieError& e) {
            actual = e.text();
        }
        if (!listed) {
            if (actual == expected)
                qInfo("%s passes now: add it to the list of passing movies", qPrintable(name));
            QSKIP("not in the list of passing movies");
        }
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(Avm1ConformanceTest)
#include "tst_avm1conformance.moc"
