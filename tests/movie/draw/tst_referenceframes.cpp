// Frames of real movies against the pictures a reference player drew of
// them: both shared sets, each at the frame its list names, each pair held
// to its own share of differing pixels.

#include "tests/support/MovieTestKit.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cmath>
#include <map>

using namespace kit;

namespace {

// Pixels whose colour differs by more than 15% of the full range.
double differingShare(const QImage& ours, const QImage& reference)
{
    const QImage a = ours.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    const double limit = 0.15 * 255;
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const double dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q), db = qBlue(p) - qBlue(q);
            if (std::sqrt((dr * dr + dg * dg + db * db) / 3) > limit)
                ++differing;
        }
    }
    return double(differing) / (b.width() * b.height());
}

// How each reference was drawn (most without smoothed edges, a few with
// them) and the share of pixels ours may differ by, in percent.
struct Expectation {
    bool smoothed;
    double percent;
};

const std::map<QString, Expectation>& expectations()
{
    static const std::map<QString, Expectation> table = {
        // movie-golden
        {"acid-bitmap-fill", {false, 1.25}},
        {"acid-bitmap-fill-2", {false, 0.25}},
        {"acid-chars", {false, 0.5}},
        {"acid-clip", {true, 0.25}},
        {"acid-clip-2", {true, 0.25}},
        {"acid-color-2", {true, 0.25}},
        {"acid-gradient", {false, 0.25}},
        {"acid-gradient-0", {false, 0.25}},
        {"acid-gradient-1", {false, 0.25}},
        {"acid-gradient-2", {false, 0.25}},
        {"acid-scale", {false, 0.25}},
        {"acid-text", {false, 1.25}},
        {"acid-text-3", {false, 0.25}},
        {"clipping", {true, 0.25}},
        {"color-transform", {false, 0.25}},
        {"focal-radial", {true, 1.0}},
        {"gradient", {false, 0.25}},
        {"gradient-nonsequential-ratios", {false, 0.25}},
        {"gradient-radial-same-ratios", {false, 2.5}},
        {"gradient-same-ratios", {false, 0.25}},
        {"gradient-spread", {false, 0.5}},
        {"gradients", {false, 0.5}},
        {"heavy-tesselation", {false, 0.5}},
        {"layers", {false, 0.25}},
        {"masks", {false, 0.5}},
        {"masks-equal-clipdepth", {false, 0.5}},
        {"overlaps", {false, 0.25}},
        {"radial", {false, 0.25}},
        {"reflect", {false, 0.25}},
        {"repeat", {false, 0.75}},
        {"stroke-scale", {false, 2.25}},
        {"winding-rule", {false, 0.25}},
        // movie-golden-2
        {"blend-add", {false, 0.25}},
        {"blend-alpha_no_layer", {false, 0.5}},
        {"blend-darken", {false, 0.5}},
        {"blend-difference", {false, 0.25}},
        {"blend-erase_no_layer", {false, 0.5}},
        {"blend-hardlight", {false, 0.5}},
        {"blend-invert", {false, 0.5}},
        {"blend-layer_alpha", {false, 1.0}},
        {"blend-layer_erase", {false, 0.5}},
        {"blend-lighten", {false, 0.25}},
        {"blend-overlay", {false, 0.5}},
        {"blend-overlay_onto_stage", {true, 0.25}},
        {"blend-screen", {false, 0.25}},
        {"blend-subtract", {false, 0.25}},
        {"cab-avm2_button", {false, 1.25}},
        {"cab-avm2_button_state", {true, 0.25}},
        {"cab-children_changed", {false, 0.25}},
        {"cab-contains_grown_filter", {false, 0.25}},
        {"cab-morph", {false, 0.25}},
        {"cab-nested_color_transform", {false, 0.25}},
        {"cab-nested_matrix", {false, 0.25}},
        {"cab-shape_changed", {false, 0.25}},
        {"edittext-border_filters", {false, 0.25}},
        {"filters-any_blur_scales_with_screen", {false, 1.0}},
        {"filters-bevel_full", {false, 1.75}},
        {"filters-bevel_inner", {false, 1.75}},
        {"filters-bevel_outer", {false, 2.0}},
        {"filters-blur_size_grows", {false, 0.75}},
        {"filters-color_matrix", {false, 0.25}},
        {"filters-drop_shadow", {false, 2.0}},
        {"filters-drop_shadow_angles", {false, 2.75}},
        {"filters-glow", {false, 2.0}},
        {"filters-glow_with_alpha_strength", {false, 2.0}},
        {"filters-glow_without_composite_source", {false, 1.5}},
        {"shumway-acid-blend", {false, 0.25}},
        {"shumway-acid-blend-2", {true, 0.5}},
        {"shumway-acid-child", {false, 0.25}},
        {"shumway-acid-filter-2", {false, 0.25}},
        {"shumway-acid-gc", {false, 0.25}},
        {"shumway-acid-text-6", {false, 0.25}},
    };
    return table;
}

// The frame each picture shows, from a set's MANIFEST.tsv (name, source,
// stage, frame, ...); a set without one shows first frames.
std::map<QString, int> manifestFrames(const QDir& set)
{
    std::map<QString, int> frames;
    QFile manifest(set.filePath("MANIFEST.tsv"));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        return frames;
    while (!manifest.atEnd()) {
        const QList<QByteArray> columns = manifest.readLine().trimmed().split('\t');
        if (columns.size() >= 4 && !columns[0].startsWith('#'))
            frames[QString::fromUtf8(columns[0])] = columns[3].toInt();
    }
    return frames;
}

} // namespace

class ReferenceFramesTest : public QObject {
    Q_OBJECT

private slots:
    // Every pair within 5%, and nine in ten within 2%.
    void expectationsMeetTheGoal()
    {
        int withinTwo = 0;
        for (const auto& [name, e] : expectations()) {
            QVERIFY2(e.percent <= 5.0, qPrintable(name));
            withinTwo += e.percent <= 2.0;
        }
        QVERIFY(withinTwo * 10 >= int(expectations().size()) * 9);
    }

    void referenceFrames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("frame");
        bool any = false;
        for (const char* set : {"movie-golden", "movie-golden-2"}) {
            const QString root = sharedFile(set);
            if (root.isEmpty() || !QDir(root).exists())
                continue;
            const QDir dir(root);
            const std::map<QString, int> frames = manifestFrames(dir);
            for (const QString& swf : dir.entryList({"*.swf"}, QDir::Files, QDir::Name)) {
                const QString name = swf.chopped(4);
                const auto f = frames.find(name);
                QTest::addRow("%s", qPrintable(name)) << dir.filePath(name) << (f == frames.end() ? 1 : f->second);
                any = true;
            }
        }
        if (!any)
            QTest::addRow("absent") << QString() << 1;
    }
    void referenceFrames()
    {
        QFETCH(QString, path);
        QFETCH(int, frame);
        if (path.isEmpty())
            QSKIP("the reference frames (../shared/movie-golden*) are not here");
        const QString name = QFileInfo(path).fileName();
        const auto e = expectations().find(name);
        QVERIFY2(e != expectations().end(), "a pair without an expectation");
        const QImage reference(path + ".png");
        QVERIFY(!reference.isNull());
        movie::MoviePlayer p(movie::Movie::load(path + ".swf"));
        p.setAntialiased(e->second.smoothed);
        for (int i = 1; i < frame; ++i)
            p.step();
        // The picture's own size: one reference shows its stage scaled up.
        const double share = differingShare(p.renderImage(reference.size()), reference) * 100;
        qInfo("%s: %.2f%% of the pixels differ", qPrintable(name), share);
        QVERIFY2(share <= e->second.percent,
                 qPrintable(QStringLiteral("%1% of the pixels differ, more than %2%")
                                .arg(share, 0, 'f', 2)
                                .arg(e->second.percent)));
    }
};

QTEST_MAIN(ReferenceFramesTest)
#include "tst_referenceframes.moc"
