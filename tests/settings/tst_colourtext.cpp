#include "base/Application.h"
#include "base/EditorError.h"
#include "settings/ColourText.h"
#include "tests/support/TempIniFile.h"

#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QTest>

class ColourTextTest : public QObject {
    Q_OBJECT

private:
    TempIniFile ini_{QStringLiteral("colours.ini")};

    static QString errorOf(const QString& text)
    {
        try {
            textToColour(text);
        } catch (const EditorError& error) {
            return error.text();
        }
        return QStringLiteral("<no error>");
    }

private slots:
    void identifiers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("value");
        // The table as the menu program knows it, in search order.
        const QStringList table = {"clBlack=$00000000",
                                   "clMaroon=$00000080",
                                   "clGreen=$00008000",
                                   "clOlive=$00008080",
                                   "clNavy=$00800000",
                                   "clPurple=$00800080",
                                   "clTeal=$00808000",
                                   "clGray=$00808080",
                                   "clSilver=$00C0C0C0",
                                   "clRed=$000000FF",
                                   "clLime=$0000FF00",
                                   "clYellow=$0000FFFF",
                                   "clBlue=$00FF0000",
                                   "clFuchsia=$00FF00FF",
                                   "clAqua=$00FFFF00",
                                   "clWhite=$00FFFFFF",
                                   "clMoneyGreen=$00C0DCC0",
                                   "clSkyBlue=$00F0CAA6",
                                   "clCream=$00F0FBFF",
                                   "clMedGray=$00A4A0A0",
                                   "clActiveBorder=$8000000A",
                                   "clActiveCaption=$80000002",
                                   "clAppWorkSpace=$8000000C",
                                   "clBackground=$80000001",
                                   "clBtnFace=$8000000F",
                                   "clBtnHighlight=$80000014",
                                   "clBtnShadow=$80000010",
                                   "clBtnText=$80000012",
                                   "clCaptionText=$80000009",
                                   "clDefault=$20000000",
                                   "clGradientActiveCaption=$8000001B",
                                   "clGradientInactiveCaption=$8000001C",
                                   "clGrayText=$80000011",
                                   "clHighlight=$8000000D",
                                   "clHighlightText=$8000000E",
                                   "clInactiveBorder=$8000000B",
                                   "clInactiveCaption=$80000003",
                                   "clInactiveCaptionText=$80000013",
                                   "clInfoBk=$80000018",
                                   "clInfoText=$80000017",
                                   "clMenu=$80000004",
                                   "clMenuText=$80000007",
                                   "clNone=$1FFFFFFF",
                                   "clScrollBar=$80000000",
                                   "cl3DDkShadow=$80000015",
                                   "cl3DLight=$80000016",
                                   "clWindow=$80000005",
                                   "clWindowFrame=$80000006",
                                   "clWindowText=$80000008"};
        QCOMPARE(table.size(), 49);
        for (const QString& entry : table) {
            const QString name = entry.section(u'=', 0, 0);
            QTest::newRow(qPrintable(name)) << name << entry.section(u'=', 1).mid(1).toUInt(nullptr, 16);
        }
    }

    void identifiers()
    {
        QFETCH(QString, name);
        QFETCH(uint, value);
        QCOMPARE(colourToText(value), name);
        QCOMPARE(textToColour(name), value);
        QCOMPARE(textToColour(name.toLower()), value);
        QCOMPARE(textToColour(name.toUpper()), value);
    }

    void identifierTableInOrder()
    {
        QCOMPARE(colourIdentifiers().size(), std::size_t(49));
        QCOMPARE(colourIdentifiers().front().name, QStringView(u"clBlack"));
        QCOMPARE(colourIdentifiers().back().name, QStringView(u"clWindowText"));
    }

    void writesOtherColoursInHex()
    {
        QCOMPARE(colourToText(0x00666666), QStringLiteral("$00666666"));
        QCOMPARE(colourToText(0x00ABCDEF), QStringLiteral("$00ABCDEF"));
        QCOMPARE(colourToText(0x00000001), QStringLiteral("$00000001"));
        QCOMPARE(colourToText(0x80000030), QStringLiteral("$80000030"));
        QCOMPARE(colourToText(0xFFFFFFFF), QStringLiteral("$FFFFFFFF"));
    }

    void readsIntegerTexts()
    {
        QCOMPARE(textToColour("0xFF"), TColor(0x000000FF));
        QCOMPARE(textToColour("$00666666"), TColor(0x00666666));
        QCOMPARE(textToColour("$00c0dcc0"), TColor(0x00C0DCC0));
        QCOMPARE(textToColour("$80000005"), TColor(0x80000005));
        QCOMPARE(textToColour("255"), TColor(0x000000FF));
        QCOMPARE(textToColour(" 16"), TColor(16));
        QCOMPARE(textToColour("-1"), TColor(0xFFFFFFFF));
    }

    void rejectsOtherTexts()
    {
        QCOMPARE(errorOf("clPink"), QStringLiteral("'clPink' is not a valid integer value"));
        QCOMPARE(errorOf(""), QStringLiteral("'' is not a valid integer value"));
        QCOMPARE(errorOf(" clRed"), QStringLiteral("' clRed' is not a valid integer value"));
        QCOMPARE(errorOf("$100000000"), QStringLiteral("'$100000000' is not a valid integer value"));
    }

    void readsKeysWithCurrentColourAsDefault()
    {
        ini_.put("[Main]\r\nDirColor=clmoneygreen\r\nInfoColor=$00666666\r\nBad=blue\r\n");
        const IniFile::Snapshot file(ini_.path());
        QCOMPARE(readColour(file, "Main", "DirColor", Colours::White), TColor(0x00C0DCC0));
        QCOMPARE(readColour(file, "Main", "InfoColor", Colours::White), TColor(0x00666666));
        QCOMPARE(readColour(file, "Main", "Missing", Colours::BtnFace), Colours::BtnFace);
        QCOMPARE(readColour(file, "Main", "Missing", 0x00123456), TColor(0x00123456));
        QVERIFY_THROWS_EXCEPTION(EditorError, readColour(file, "Main", "Bad", Colours::White));
    }

    void writesKeys()
    {
        QFile::remove(ini_.path());
        IniFile::Batch batch(ini_.path());
        writeColour(batch, "Main", "DirColor", 0x00C0DCC0);
        writeColour(batch, "Main", "InfoColor", 0x00666666);
        writeColour(batch, "Main", "DirFontColor", Colours::WindowText);
        batch.save();
        QFile file(ini_.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("[Main]\r\nDirColor=clMoneyGreen\r\nInfoColor=$00666666\r\nDirFontColor=clWindowText\r\n"));
    }

    void drawsColours()
    {
        QCOMPARE(displayColour(0x000000FF), QColor(255, 0, 0));
        QCOMPARE(displayColour(0x00336699), QColor(0x99, 0x66, 0x33));
        const QPalette palette = QGuiApplication::palette();
        QCOMPARE(displayColour(Colours::Window), palette.color(QPalette::Base));
        QCOMPARE(displayColour(Colours::WindowText), palette.color(QPalette::Text));
        QCOMPARE(displayColour(Colours::BtnFace), palette.color(QPalette::Button));
        QCOMPARE(displayColour(Colours::BtnText), palette.color(QPalette::ButtonText));
        QCOMPARE(displayColour(0x8000000D), palette.color(QPalette::Highlight));
        QCOMPARE(displayColour(0x80000018), palette.color(QPalette::ToolTipBase));
        QCOMPARE(displayColour(0x8000001B), QColor(0xB9, 0xD1, 0xEA));
        QCOMPARE(displayColour(0x800000FF), QColor(Qt::black));
        QCOMPARE(displayColour(0x1FFFFFFF).alpha(), 0);
        QVERIFY(displayColour(0x20000000).isValid());
    }

    void storesQColours()
    {
        QCOMPARE(fromQColor(QColor(1, 2, 3)), TColor(0x00030201));
        for (const TColor colour : {0x00000000u, 0x00666666u, 0x00C0DCC0u, 0x00FFFFFFu})
            QCOMPARE(fromQColor(displayColour(colour)), colour);
    }
};

QTEST_MAIN(ColourTextTest)
#include "tst_colourtext.moc"
