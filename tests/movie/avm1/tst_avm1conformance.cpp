// The script conformance sets: small movies with the trace log a reference
// player printed for them, the first on the language, the second on the
// player's built-in objects. Every movie in a set's checked-in list of
// passing ones (<set>-passing.txt beside this file) must still give exactly
// that log; the others run too and are reported, so that a newly passing
// one can be added to its list.

#include "tests/support/MovieTestKit.h"

#include "tests/support/ConformanceSet.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

const QStringList kSets = {QStringLiteral("avm1-conformance"), QStringLiteral("avm1-conformance-2")};

QString setDir(const QString& set) { return kit::sharedFile(set); }

QString listPath(const QString& set)
{
    return QStringLiteral(AVM1_PASSING_LISTS) + u'/' + set + QStringLiteral("-passing.txt");
}

QSet<QString> passingList(const QString& set) { return kit::nameList(listPath(set)); }

} // namespace

class Avm1ConformanceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const QString& set : kSets) {
            if (conformanceCases(setDir(set)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("the conformance set ../shared/%1 is not here").arg(set)));
            QVERIFY2(QFile::exists(listPath(set)), qPrintable(QStringLiteral("no list of passing movies of ") + set));
        }
    }

    void movie_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("listed");
        for (const QString& set : kSets) {
            const QSet<QString> passing = passingList(set);
            for (const ConformanceCase& c : conformanceCases(setDir(set)))
                QTest::addRow("%s/%s/%s", qPrintable(set), qPrintable(c.category), qPrintable(c.name))
                    << c.frames << passing.contains(c.name);
        }
    }
    void movie()
    {
        QFETCH(int, frames);
        QFETCH(bool, listed);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString dir = setDir(tag.section(u'/', 0, 0));
        const QString name = tag.section(u'/', 2);
        QVERIFY(QFile::exists(QDir(dir).filePath(name + QStringLiteral("/output.txt"))));
        const auto [expected, actual] = runConformanceCase(dir, {name, frames, {}});
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
