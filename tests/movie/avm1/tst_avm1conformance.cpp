// The script conformance set: small movies with the trace log a reference
// player printed for them. Every movie in the checked-in list of passing
// ones (avm1-conformance-passing.txt) must still give exactly that log; the
// others run too and are reported, so that a newly passing one can be
// added to the list.

#include "tests/support/MovieTestKit.h"

#include "tests/support/ConformanceSet.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

QString conformanceDir() { return kit::sharedFile(QStringLiteral("avm1-conformance")); }

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

} // namespace

class Avm1ConformanceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (conformanceCases(conformanceDir()).isEmpty())
            QSKIP("the conformance set (../shared/avm1-conformance) is not here");
        QVERIFY2(!passingList().isEmpty(), "the list of passing movies is missing");
    }

    void movie_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("listed");
        const QSet<QString> passing = passingList();
        for (const ConformanceCase& c : conformanceCases(conformanceDir()))
            QTest::addRow("%s/%s", qPrintable(c.category), qPrintable(c.name)) << c.frames << passing.contains(c.name);
    }
    void movie()
    {
        QFETCH(int, frames);
        QFETCH(bool, listed);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).section(u'/', 1);
        QVERIFY(QFile::exists(QDir(conformanceDir()).filePath(name + QStringLiteral("/output.txt"))));
        const auto [expected, actual] = runConformanceCase(conformanceDir(), {name, frames, {}});
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
