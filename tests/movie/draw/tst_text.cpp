// Text in movies: glyph outlines of the three font versions, static text
// records, edit fields with embedded glyphs (layout, wrapping, alignment,
// borders, HTML) or in a system font, and the corpus files with text.

#include "tests/support/MovieTestKit.h"

#include "movie/format/TagCodes.h"

#include "movie/draw/HtmlText.h"
#include "movie/draw/Text.h"
#include "movie/writer/ActionWriter.h"

#include <QDir>

using namespace kit;
using movie::writer::ActionWriter;

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
        SwfWriter::EditTextSpec f = greenField("<p align=\"left\"><font color=\"#ff0000\">A</font></p>");
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

    // HTML as the player reads it: paragraphs end with "\r", tags set the
    // format of the text inside them.
    void htmlReadsIntoFormattedText()
    {
        movie::TextFormat base = movie::TextFormat::defaults();
        const movie::FieldText t =
            movie::readHtml("<p align='center'>one</p><p>t<font face=\"Serif\" size=\"30\" "
                            "color=\"#00ff00\">w</font><b><i><u>o</u></i></b>"
                            "</p><textformat indent='5' leading='2' leftmargin='3'><li>&lt;&amp;&gt;</li></textformat>",
                            base, {});
        QCOMPARE(t.text(), QStringLiteral("one\rtwo\r<&>\r"));
        QCOMPARE(*t.formatAt(0).align, movie::TextFormat::Align::Center);
        QCOMPARE(*t.formatAt(4).align, movie::TextFormat::Align::Left);
        const movie::TextFormat& w = t.formatAt(5);
        QCOMPARE(*w.font, QStringLiteral("Serif"));
        QCOMPARE(*w.size, 30.0);
        QCOMPARE(*w.color, 0x00ff00u);
        QVERIFY(*t.formatAt(6).bold && *t.formatAt(6).italic && *t.formatAt(6).underline);
        const movie::TextFormat& item = t.formatAt(8);
        QVERIFY(*item.bullet);
        QCOMPARE(*item.indent, 5.0);
        QCOMPARE(*item.leading, 2.0);
        QCOMPARE(*item.leftMargin, 3.0);
        // Without line breaks (a field that is not multiline) the tags set
        // formats and nothing more.
        movie::HtmlReading oneLine;
        oneLine.breaks = false;
        QCOMPARE(movie::readHtml("<p>a</p><li>b</li>c<br>d", base, oneLine).text(), QStringLiteral("abcd"));
    }

    // "&amp;lt;" is "&lt;" as text: each entity is read once.
    void htmlEntitiesAreReadOnce()
    {
        QCOMPARE(movie::decodeEntities(u"&amp;lt; &amp;amp; &lt;b&gt; &#65;&#x42; &nbsp;&bogus;"),
                 QStringLiteral("&lt; &amp; <b> AB \u00a0&bogus;"));
        const movie::FieldText t = movie::readHtml("<p>&amp;lt;p&amp;gt;</p>", movie::TextFormat::defaults(), {});
        QCOMPARE(t.text(), QStringLiteral("&lt;p&gt;\r"));
    }

    // An empty paragraph before a list item stays a paragraph; only the
    // item has the bullet (the reference player's HTML for these).
    void bulletOnlyOnListItems()
    {
        movie::TextFormat base = movie::TextFormat::defaults();
        base.font = QStringLiteral("Noto Sans");
        base.size = 6;
        const QString font =
            QStringLiteral("<FONT FACE=\"Noto Sans\" SIZE=\"6\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">");
        QCOMPARE(movie::writeHtml(movie::readHtml("<p></p><li>test</li>", base, {})),
                 QStringLiteral("<P ALIGN=\"LEFT\">%1</FONT></P><LI>%1test</FONT></LI>").arg(font));
        QCOMPARE(movie::writeHtml(movie::readHtml("<p></p>\n <li>text</li>", base, {})),
                 QStringLiteral("<P ALIGN=\"LEFT\">%1</FONT></P><LI>%1text</FONT></LI>").arg(font));
    }

    // Deeply nested tags and a tag cut off are safe; the text stays.
    void htmlNestingIsBounded()
    {
        QString deep;
        for (int i = 0; i < 1000; ++i)
            deep += "<font size='+1'>";
        const movie::FieldText t = movie::readHtml(deep + "x<b", movie::TextFormat::defaults(), {});
        QCOMPARE(t.text(), QStringLiteral("x"));
        QVERIFY(*t.formatAt(0).size <= 127);
    }

    // A script's new text is drawn at once, the old text gone.
    void newTextOfAScriptIsDrawn()
    {
        SwfWriter w = stage(kBlue);
        w.defineFont(1, squareFont(2), 2);
        SwfWriter::EditTextSpec f = greenField("");
        f.text = "A";
        w.defineEditText(2, f);
        w.placeObject2(Place::add(1, 2).named("shown"));
        ActionWriter script;
        script.getVariable("shown").push({ActionWriter::str("text"), ActionWriter::str("  A")}).op(0x4F);
        w.doAction(script.bytes());
        w.showFrame();
        const QImage img = firstFrame(w);
        EXPECT_PIXEL(img, 12, 12, kBlue);  // the first "A" gone
        EXPECT_PIXEL(img, 52, 12, kGreen); // the new one after two spaces: x 42..62
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
