// Text in movies: glyph outlines of the three font versions, static text
// records, edit fields with embedded glyphs (layout, wrapping, alignment,
// borders, HTML) or in a system font, and the corpus files with text.

#include "tests/support/MovieTestKit.h"

#include "movie/format/TagCodes.h"

#include "movie/draw/HtmlText.h"
#include "movie/draw/Text.h"

#include <QDir>

using namespace kit;

namespace {

// A font of two glyphs: a full em square standing on the baseline ('A')
// and an empty one (' '), each an em wide.
SwfWriter::FontSpec squareFont(int version)
{
    const int em = version == 3 ? 1024 * 20 : 1024;
    SwfWriter::FontSpec font;
    ShapeSpec square;
    square.rect(QRect(0, -em, em, em), 1);
    font.glyphs = {square, ShapeSpec{}, square};
    font.codes = {'A', ' ', '*'};
    // Advances above 32767 do not fit in DefineFont3 units: half-em ones then.
    const auto advance = static_cast<qint16>(version == 3 ? em / 2 : em);
    font.advances = {advance, advance, advance};
    font.ascent = static_cast<quint16>(std::min(em, 32767));
    return font;
}

QImage drawField(const SwfWriter::EditTextSpec& field, int fontVersion = 2)
{
    SwfWriter w = stage(kBlue);
    w.defineFont(1, squareFont(fontVersion), fontVersion);
    w.defineEditText(2, field);
    return drawPlaced(w, 2);
}

SwfWriter::EditTextSpec greenField(const QByteArray& text)
{
    SwfWriter::EditTextSpec f;
    f.bounds = QRect(0, 0, 100 * px, 60 * px);
    f.font = 1;
    f.height = 20 * px;
    f.color = kGreen;
    f.text = text;
    return f;
}

int countPixels(const QImage& img, const std::function<bool(const QColor&)>& test, const QRect& area = QRect())
{
    const QRect r = area.isNull() ? img.rect() : area;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += test(img.pixelColor(x, y));
    return n;
}

} // namespace

class TextTest : public QObject {
    Q_OBJECT

private slots:
    // A glyph drawn at a height of 20 pixels is a 20-pixel square above its
    // baseline; the advance places the next one.
    void staticTextInEveryFontVersion_data()
    {
        QTest::addColumn<int>("fontVersion");
        QTest::addColumn<int>("textVersion");
        QTest::addRow("DefineFont, DefineText") << 1 << 1;
        QTest::addRow("DefineFont2, DefineText2") << 2 << 2;
        QTest::addRow("DefineFont3 (20 units a twip), DefineText2") << 3 << 2;
    }
    void staticTextInEveryFontVersion()
    {
        QFETCH(int, fontVersion);
        QFETCH(int, textVersion);
        SwfWriter w = stage(kBlue);
        w.defineFont(1, squareFont(fontVersion), fontVersion);
        SwfWriter::TextRecord run;
        run.font = 1;
        run.height = 20 * px;
        run.color = kRed;
        run.x = 10 * px;
        run.y = 30 * px;
        run.glyphs = {{0, 30 * px}, {0, 30 * px}};
        w.defineText(2, QRect(0, 0, 100 * px, 100 * px), translate(0, 5 * px), {run}, textVersion);
        const QImage img = drawPlaced(w, 2);
        EXPECT_PIXEL(img, 20, 25, kRed);  // first glyph: x 10..30, y 15..35
        EXPECT_PIXEL(img, 35, 25, kBlue); // between them
        EXPECT_PIXEL(img, 50, 25, kRed);  // second glyph: x 40..60
        EXPECT_PIXEL(img, 20, 12, kBlue); // above the em
        EXPECT_PIXEL(img, 20, 38, kBlue); // below the baseline
    }

    // Records change colour (with alpha in DefineText2) and position.
    void recordsChangeColourAndPlace()
    {
        SwfWriter w = stage(kWhite);
        w.defineFont(1, squareFont(2), 2);
        SwfWriter::TextRecord first;
        first.font = 1;
        first.height = 20 * px;
        first.color = QColor(255, 0, 0, 128);
        first.x = 0;
        first.y = 20 * px;
        first.glyphs = {{0, 20 * px}};
        SwfWriter::TextRecord second;
        second.color = QColor(0, 0, 0, 255);
        second.x = 50 * px;
        second.y = 80 * px;
        second.glyphs = {{0, 20 * px}};
        w.defineText(2, QRect(0, 0, 100 * px, 100 * px), Matrix{}, {first, second}, 2);
        const QImage img = drawPlaced(w, 2);
        EXPECT_PIXEL(img, 10, 10, QColor(255, 127, 127));
        EXPECT_PIXEL(img, 60, 70, QColor(0, 0, 0));
        EXPECT_PIXEL(img, 60, 10, kWhite);
    }

    // Fields keep a 2-pixel gutter: the first baseline lies the font's
    // ascent below it.
    void editFieldInEmbeddedGlyphs()
    {
        const QImage img = drawField(greenField("A A"));
        EXPECT_PIXEL(img, 12, 12, kGreen); // x 2..22, y 2..22
        EXPECT_PIXEL(img, 32, 12, kBlue);  // the space
        EXPECT_PIXEL(img, 52, 12, kGreen); // x 42..62
        EXPECT_PIXEL(img, 12, 30, kBlue);
    }

    // A password field shows a "*" for every character, spaces included.
    void passwordFieldHidesEveryCharacter()
    {
        SwfWriter::EditTextSpec field = greenField("A A");
        field.password = true;
        const QImage img = drawField(field);
        EXPECT_PIXEL(img, 12, 12, kGreen);
        EXPECT_PIXEL(img, 32, 12, kGreen); // the space's "*"
        EXPECT_PIXEL(img, 52, 12, kGreen);
        EXPECT_PIXEL(img, 72, 12, kBlue);
    }

    void editFieldInDefineFont3Units()
    {
        const QImage img = drawField(greenField("AA"), 3);
        EXPECT_PIXEL(img, 12, 12, kGreen);
        EXPECT_PIXEL(img, 17, 12, kGreen); // half-em advances overlap the squares
        EXPECT_PIXEL(img, 28, 12, kGreen);
        EXPECT_PIXEL(img, 40, 12, kBlue);
    }

    void wrappingMultilineAndAlignment()
    {
        SwfWriter::EditTextSpec wrapped = greenField("A A");
        wrapped.bounds = QRect(0, 0, 40 * px, 80 * px);
        wrapped.wordWrap = wrapped.multiline = true;
        QImage img = drawField(wrapped);
        EXPECT_PIXEL(img, 12, 12, kGreen);
        EXPECT_PIXEL(img, 12, 32, kGreen); // the second word on the next line
        EXPECT_PIXEL(img, 52, 12, kBlue);

        SwfWriter::EditTextSpec lines = greenField("A\rA");
        lines.multiline = true;
        img = drawField(lines);
        EXPECT_PIXEL(img, 12, 32, kGreen);

        SwfWriter::EditTextSpec right = greenField("A");
        right.align = 1;
        img = drawField(right);
        EXPECT_PIXEL(img, 88, 12, kGreen); // ends at 100 - 2
        EXPECT_PIXEL(img, 12, 12, kBlue);

        SwfWriter::EditTextSpec centred = greenField("A");
        centred.align = 2;
        img = drawField(centred);
        EXPECT_PIXEL(img, 50, 12, kGreen);
        EXPECT_PIXEL(img, 12, 12, kBlue);
    }

    void borderAndHtmlField()
    {
        SwfWriter::EditTextSpec f = greenField("<p align=\"left\"><font face=\"x\" color=\"#ff0000\">A</font></p>");
        f.html = true;
        f.border = true;
        f.bounds = QRect(10 * px, 10 * px, 80 * px, 60 * px);
        const QImage img = drawField(f);
        EXPECT_PIXEL(img, 22, 22, kRed);   // the text in its font tag's colour, without its tags
        EXPECT_PIXEL(img, 42, 22, kWhite); // no tag letters after it
        EXPECT_PIXEL(img, 50, 60, kWhite); // the field's white ground
        EXPECT_PIXEL(img, 5, 5, kBlue);
    }

    // Each run of an HTML field takes the font it names: letters the field's
    // own font lacks come from the bold font of the same name.
    void htmlRunsTakeTheirOwnFonts()
    {
        SwfWriter w = stage(kBlue);
        SwfWriter::FontSpec plain = squareFont(2);
        plain.name = "Face";
        SwfWriter::FontSpec bold = squareFont(2);
        bold.name = "Face";
        bold.bold = true;
        bold.codes = {'B', ' '};
        w.defineFont(1, plain, 2);
        w.defineFont(3, bold, 2);
        SwfWriter::EditTextSpec f = greenField("A<b>B</b><font color=\"#ff0000\">A</font>");
        f.html = true;
        w.defineEditText(2, f);
        const QImage img = drawPlaced(w, 2);
        EXPECT_PIXEL(img, 12, 12, kGreen); // A: x 2..22
        EXPECT_PIXEL(img, 32, 12, kGreen); // B, from the bold font: x 22..42
        EXPECT_PIXEL(img, 52, 12, kRed);   // A again, in red: x 42..62
        EXPECT_PIXEL(img, 72, 12, kBlue);
    }

    void htmlParagraphsAndStyles()
    {
        movie::TextRun base;
        base.size = 240;
        base.color = kBlue;
        movie::TextParagraph format;
        auto read = [&](const char* html) { return movie::parseHtmlText(QString::fromUtf8(html), base, format); };

        auto ps = read("<p align='center'>one</p><p>two<br/>three</p>");
        QCOMPARE(ps.size(), size_t(3));
        QCOMPARE(ps[0].align, 2);
        QCOMPARE(ps[1].align, 0);
        QCOMPARE(ps[2].runs.front().text, QStringLiteral("three"));

        ps = read("<font face=\"Serif\" size=\"30\" color=\"#00ff00\">big</font> <b><i><u>x</u></i></b>&lt;&amp;&gt;");
        QCOMPARE(ps.size(), size_t(1));
        const auto& runs = ps[0].runs;
        QCOMPARE(runs.size(), size_t(4));
        QCOMPARE(runs[0].face, QStringLiteral("Serif"));
        QCOMPARE(runs[0].size, 600.0);
        QCOMPARE(runs[0].color, kGreen);
        QCOMPARE(runs[1].text, QStringLiteral(" "));
        QVERIFY(runs[2].bold && runs[2].italic && runs[2].underline);
        QCOMPARE(runs[3].text, QStringLiteral("<&>"));
        QCOMPARE(runs[3].color, kBlue);

        ps = read("<textformat indent='5' leading='2' leftmargin='3' rightmargin='4'><li>item</li></textformat>");
        QCOMPARE(ps.size(), size_t(1));
        QVERIFY(ps[0].bullet);
        QCOMPARE(ps[0].indent, 100.0);
        QCOMPARE(ps[0].leading, 40.0);
        QCOMPARE(ps[0].leftMargin, 60.0);
        QCOMPARE(ps[0].rightMargin, 80.0);

        // Deeply nested styles and a tag cut off are safe; the text stays.
        QString deep;
        for (int i = 0; i < 1000; ++i)
            deep += "<font size='+1'>";
        ps = movie::parseHtmlText(deep + "x<b", base, format);
        QCOMPARE(ps.size(), size_t(1));
        QCOMPARE(ps[0].runs.back().text, QStringLiteral("x"));
    }

    void htmlToPlainText()
    {
        QCOMPARE(movie::plainTextOfHtml("<p align=\"left\"><b>Hello</b> &amp; &lt;you&gt;</p><p>two<br/>three</p>"),
                 QStringLiteral("Hello & <you>\ntwo\nthree"));
        QCOMPARE(movie::plainTextOfHtml("plain"), QStringLiteral("plain"));
    }

    // A field whose font has no glyphs is drawn in a system font.
    void deviceFontField()
    {
        SwfWriter w(200, 60, 12);
        w.setBackground(kWhite);
        SwfWriter::FontSpec noGlyphs;
        noGlyphs.name = "_sans";
        w.defineFont(1, noGlyphs, 3);
        SwfWriter::EditTextSpec f;
        f.bounds = QRect(0, 0, 200 * px, 60 * px);
        f.font = 1;
        f.height = 30 * px;
        f.color = QColor(0, 0, 0);
        f.text = "HHHH";
        f.useOutlines = false;
        w.defineEditText(2, f);
        const QImage img = drawPlaced(w, 2);
        const int dark = countPixels(img, [](const QColor& c) { return c.lightness() < 80; });
        QVERIFY2(dark > 200, qPrintable(QString::number(dark)));
        QCOMPARE(countPixels(
                     img, [](const QColor& c) { return c.lightness() < 80; }, QRect(0, 45, 200, 15)),
                 0);
    }

    void damagedFontsAndTextsAreSafe()
    {
        SwfWriter w(50, 50, 12);
        w.writeTag(movie::tag::DefineFont3,
                   QByteArray("\x01\x00\x8c\x00\x04Test\xff\xff", 11)); // 65535 glyphs promised
        w.writeTag(movie::tag::DefineFont2,
                   QByteArray("\x02\x00\x08\x00\x00\x02\x00\xff\xff\xff\x7f\x00\x00\x00\x00", 15)); // offsets beyond
        w.writeTag(movie::tag::DefineFont, QByteArray("\x03\x00\xff\xff", 4));
        w.writeTag(movie::tag::DefineText, QByteArray("\x04\x00\x00\x00\x20\x20\x88\x01\x00\xff\xff\x10\x00\xff", 14));
        w.writeTag(movie::tag::DefineEditText, QByteArray("\x05\x00\x00\xff\xff", 5));
        for (quint16 id = 4; id <= 5; ++id)
            w.placeObject2(Place::add(id, id));
        w.showFrame();
        const auto p = play(w.finish());
        QVERIFY(!frame(*p).isNull());
    }

    // The corpus texts: small glyph texts near the stage's top-left corner.
    void corpusTextsShow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("area");
        for (const char* name : {"DefineFont-MX.swf", "DefineFont2-CS6.swf", "DefineFont3-CS6.swf", "DefineFont4.swf",
                                 "DefineText2-MX.swf", "DefineEditText-MX.swf", "DefineFont3-DeviceText.swf"})
            QTest::addRow("%s", name) << QString::fromLatin1(name) << QRect(0, 0, 275, 60);
    }
    void corpusTextsShow()
    {
        QFETCH(QString, name);
        QFETCH(QRect, area);
        const QString path = sharedFile(QStringLiteral("swf-corpus/") + name);
        if (path.isEmpty() || !QFile::exists(path))
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        movie::MoviePlayer p(movie::Movie::load(path));
        const QImage img = frame(p);
        const QColor ground = p.movie().background();
        const int inked = countPixels(
            img, [&](const QColor& c) { return !near(c, ground, 6); }, area);
        QVERIFY2(inked > 4, qPrintable(QStringLiteral("%1 pixels of text").arg(inked)));
    }
};

QTEST_MAIN(TextTest)
#include "tst_text.moc"
