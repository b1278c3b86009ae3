// bench_draw [--swfrun PATH]... [--runs N] [--frames N] [DIR_OR_MOVIE.swf...]
//
// The time a frame takes, its step and its drawing as the title preview
// draws it, for every movie of the reference folders (by default every
// folder of ../shared), for a written title with 3 MB of font glyphs and
// for a written intro under a colour-matrix filter: each movie at its own size and at 550 x 400, measured by `swfrun
// --draw` in a process of its own. Given several swfrun builds (--swfrun, once each), they run in turn on each movie,
// so that a "before" and an "after" are measured side by side under the same load; each figure is the median of N runs
// (3 by default). Also the time to load each movie.
//
// Goals, checked for the last swfrun given: a frame of the reference-frame
// movies (movie-golden*) at most 8 ms at its own size and 4 ms at 550 x 400,
// on average; the title with 3 MB of glyphs loaded in under 50 ms.

#include "WrittenTitles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kFrameGoalOwnSize = 8, kFrameGoal550 = 4, kLoadGoal = 50;

struct Measure {
    double mean = 0, worst = 0, load = 0;
    QSize size;
    QString error;
};

struct Options {
    QStringList swfruns;
    QStringList inputs;
    int runs = 3;
    int frames = 100;
};

Measure runOnce(const QString& swfrun, const QString& movie, int frames, QSize size)
{
    QStringList args{movie, QStringLiteral("--draw"), QStringLiteral("--frames"), QString::number(frames)};
    if (size.isValid())
        args << QStringLiteral("--width") << QString::number(size.width()) << QStringLiteral("--height")
             << QString::number(size.height());
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(swfrun, args);
    Measure m;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        m.error = QStringLiteral("did not finish");
        return m;
    }
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression load(QStringLiteral("^load ([0-9.]+) ms, (\\d+) x (\\d+) pixels$"),
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression frame(QStringLiteral("^mean ([0-9.]+) ms, worst ([0-9.]+) ms\\s*$"));
    const QRegularExpressionMatch l = load.match(out);
    const QRegularExpressionMatch f = frame.match(out.trimmed().section(QLatin1Char('\n'), -1));
    if (process.exitCode() != 0 || !l.hasMatch() || !f.hasMatch()) {
        m.error = QString::fromUtf8(process.readAllStandardError()).trimmed().section(QLatin1Char('\n'), 0, 0);
        if (m.error.isEmpty())
            m.error = QStringLiteral("no figures printed");
        return m;
    }
    m.load = l.captured(1).toDouble();
    m.size = QSize(l.captured(2).toInt(), l.captured(3).toInt());
    m.mean = f.captured(1).toDouble();
    m.worst = f.captured(2).toDouble();
    return m;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Every swfrun on the movie, `runs` times in turn; the medians.
std::vector<Measure> measure(const Options& o, const QString& movie, QSize size)
{
    std::vector<std::vector<Measure>> all(size_t(o.swfruns.size()));
    for (int r = 0; r < o.runs; ++r)
        for (qsizetype s = 0; s < o.swfruns.size(); ++s)
            all[size_t(s)].push_back(runOnce(o.swfruns[s], movie, o.frames, size));
    std::vector<Measure> result;
    for (const auto& runs : all) {
        Measure m = runs.front();
        std::vector<double> means, worsts, loads;
        for (const Measure& run : runs) {
            if (!run.error.isEmpty())
                m.error = run.error;
            means.push_back(run.mean);
            worsts.push_back(run.worst);
            loads.push_back(run.load);
        }
        m.mean = median(means);
        m.worst = median(worsts);
        m.load = median(loads);
        result.push_back(m);
    }
    return result;
}

struct Tally {
    int checked = 0;
    QStringList over;
    double mostOwn = 0, most550 = 0;
};

// Prints one line: the movie, its size, and each swfrun's figures; the
// last swfrun's checked against the goals.
void report(const QString& name, const std::vector<Measure>& ms, bool at550, bool golden, bool fontTitle, Tally& tally)
{
    const Measure& last = ms.back();
    const QString shown = at550 ? QString() : name.right(44); // the second size of a movie under its first
    std::printf("%-44s %4d x %-4d", qPrintable(shown), last.size.width(), last.size.height());
    for (const Measure& m : ms) {
        if (!m.error.isEmpty())
            std::printf(" | %-27s", qPrintable(m.error.left(27)));
        else
            std::printf(" | %8.3f %8.3f %8.2f", m.mean, m.worst, m.load);
    }
    QString verdict;
    if (last.error.isEmpty() && golden) {
        const double goal = at550 ? kFrameGoal550 : kFrameGoalOwnSize;
        ++tally.checked;
        (at550 ? tally.most550 : tally.mostOwn) = std::max(at550 ? tally.most550 : tally.mostOwn, last.mean);
        if (last.mean > goal) {
            verdict = QStringLiteral("  OVER %1 ms").arg(goal);
            tally.over << QStringLiteral("%1 at %2 x %3").arg(name).arg(last.size.width()).arg(last.size.height());
        }
    }
    if (last.error.isEmpty() && fontTitle && !at550 && last.load >= kLoadGoal) {
        verdict += QStringLiteral("  LOAD OVER %1 ms").arg(kLoadGoal);
        tally.over << QStringLiteral("%1 loading").arg(name);
    }
    std::printf("%s\n", qPrintable(verdict));
    std::fflush(stdout);
}

void benchMovie(const Options& o, const QString& path, const QString& name, Tally& tally, bool fontTitle = false)
{
    const bool golden = name.startsWith(QLatin1String("movie-golden"));
    const std::vector<Measure> own = measure(o, path, QSize());
    report(name, own, false, golden, fontTitle, tally);
    const QSize common(550, 400);
    if (own.back().error.isEmpty() && own.back().size != common)
        report(name, measure(o, path, common), true, golden, fontTitle, tally);
}

bool readOptions(const QStringList& args, Options& o)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--swfrun") && i + 1 < args.size())
            o.swfruns << args[++i];
        else if (a == QLatin1String("--runs") && i + 1 < args.size())
            o.runs = std::clamp(args[++i].toInt(), 1, 99);
        else if (a == QLatin1String("--frames") && i + 1 < args.size())
            o.frames = std::clamp(args[++i].toInt(), 1, 100000);
        else if (a.startsWith(QLatin1String("--")))
            return false;
        else
            o.inputs << a;
    }
    if (o.swfruns.isEmpty())
        o.swfruns << QStringLiteral(SKINEDIT_SWFRUN);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    if (!readOptions(QCoreApplication::arguments(), o)) {
        std::fprintf(stderr, "usage: bench_draw [--swfrun PATH]... [--runs N] [--frames N] [DIR_OR_MOVIE.swf...]\n");
        return 2;
    }
    const bool everything = o.inputs.isEmpty();
    if (everything)
        o.inputs << QStringLiteral(SKINEDIT_SHARED_DIR);

    std::printf("a frame (step and drawing, as the preview draws it) and the load, in ms; median of %d runs of %d "
                "frames\n",
                o.runs, o.frames);
    for (qsizetype s = 0; s < o.swfruns.size(); ++s)
        std::printf("column %c: %s\n", char('A' + s), qPrintable(o.swfruns[s]));
    std::printf("%-56s", "movie");
    for (qsizetype s = 0; s < o.swfruns.size(); ++s)
        std::printf(" | %c:   mean    worst     load", char('A' + s));
    std::printf("\n");

    Tally tally;
    QTemporaryDir written;
    qsizetype glyphBytes = 0;
    const QString title = written.filePath(QStringLiteral("font-title.swf"));
    QFile file(title);
    if (!written.isValid() || !file.open(QIODevice::WriteOnly) || file.write(fontTitle(&glyphBytes)) < 0) {
        std::fprintf(stderr, "bench_draw: cannot write %s\n", qPrintable(title));
        return 1;
    }
    file.close();
    benchMovie(o, title, QStringLiteral("(written: %1 MB of glyphs)").arg(glyphBytes / 1e6, 0, 'f', 1), tally, true);
    const QString intro = written.filePath(QStringLiteral("tinted-intro.swf"));
    QFile introFile(intro);
    if (!introFile.open(QIODevice::WriteOnly) || introFile.write(tintedIntro()) < 0) {
        std::fprintf(stderr, "bench_draw: cannot write %s\n", qPrintable(intro));
        return 1;
    }
    introFile.close();
    benchMovie(o, intro, QStringLiteral("(written: tinted 1000 x 710 intro)"), tally);

    for (const QString& input : o.inputs) {
        const QFileInfo info(input);
        if (!info.isDir()) {
            benchMovie(o, input, info.dir().dirName() + QLatin1Char('/') + info.fileName(), tally);
            continue;
        }
        QStringList movies;
        QDirIterator it(input, {QStringLiteral("*.swf")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            movies << it.next();
        movies.sort();
        const QDir root(everything ? input : info.absolutePath());
        for (const QString& movie : movies)
            benchMovie(o, movie, root.relativeFilePath(movie), tally);
    }
    std::printf("\ngoals (last column): %d frame figures of movie-golden* checked; the most %.3f ms at their own "
                "size (goal %g), %.3f ms at 550 x 400 (goal %g)\n",
                tally.checked, tally.mostOwn, kFrameGoalOwnSize, tally.most550, kFrameGoal550);
    if (tally.over.isEmpty())
        std::printf("every goal met\n");
    else
        std::printf("over a goal: %s\n", qPrintable(tally.over.join(QStringLiteral("; "))));
    return 0;
}
