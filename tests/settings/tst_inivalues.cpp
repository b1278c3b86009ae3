#include "settings/IniValues.h"
#include "tests/support/TempIniFile.h"

#include <QFile>
#include <QTest>
#include <limits>

class IniValuesTest : public QObject {
    Q_OBJECT

private:
    TempIniFile ini_{QStringLiteral("values.ini")};

private slots:
    void parsesIntegers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");

        QTest::newRow("decimal") << "30" << true << 30;
        QTest::newRow("0x") << "0x1E" << true << 30;
        QTest::newRow("0X, lower-case digits") << "0X1e" << true << 30;
        QTest::newRow("$") << "$FF" << true << 255;
        QTest::newRow("x") << "x10" << true << 16;
        QTest::newRow("X") << "X10" << true << 16;
        QTest::newRow("leading blanks and sign") << " \t-5" << true << -5;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("leading zeros") << "000000000000000012" << true << 12;
        QTest::newRow("largest") << "2147483647" << true << std::numeric_limits<int>::max();
        QTest::newRow("smallest") << "-2147483648" << true << std::numeric_limits<int>::min();
        QTest::newRow("hex fills 32 bits") << "$FFFFFFFF" << true << -1;
        QTest::newRow("system colour") << "$80000005" << true << int(0x80000005u);
        QTest::newRow("decimal too large") << "2147483648" << false << 0;
        QTest::newRow("decimal too small") << "-2147483649" << false << 0;
        QTest::newRow("hex too large") << "$100000000" << false << 0;
        QTest::newRow("huge") << "99999999999999999999999" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("prefix only") << "0x" << false << 0;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("trailing text") << "12px" << false << 0;
        QTest::newRow("fraction") << "1.5" << false << 0;
        QTest::newRow("two signs") << "--1" << false << 0;
        QTest::newRow("hex digit in decimal") << "1F" << false << 0;
        QTest::newRow("other digits") << "\u0663" << false << 0;
    }

    void parsesIntegers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        const std::optional<std::int32_t> value = IniValues::parseInteger(text);
        QCOMPARE(value.has_value(), valid);
        if (valid)
            QCOMPARE(*value, expected);
    }

    void readsIntegersWithDefaults()
    {
        ini_.put("[Main]\r\nLogoX=0x1E\r\nLogoY=abc\r\nMinX= 12 \r\nMinY=\r\n");
        const IniFile::Snapshot file(ini_.path());
        QCOMPARE(IniValues::readInteger(file, "Main", "LogoX", 10), 30);
        QCOMPARE(IniValues::readInteger(file, "Main", "LogoY", 10), 10);
        QCOMPARE(IniValues::readInteger(file, "Main", "MinX", 40), 12);
        QCOMPARE(IniValues::readInteger(file, "Main", "MinY", 6), 6);
        QCOMPARE(IniValues::readInteger(file, "Main", "Missing", -3), -3);
    }

    void readsBooleans()
    {
        ini_.put("[Main]\r\nOne=1\r\nZero=0\r\nTwo=2\r\nMinus=-1\r\nHexZero=$0\r\nBad=yes\r\n");
        const IniFile::Snapshot file(ini_.path());
        QCOMPARE(IniValues::readBool(file, "Main", "One", false), true);
        QCOMPARE(IniValues::readBool(file, "Main", "Zero", true), false);
        QCOMPARE(IniValues::readBool(file, "Main", "Two", false), true);
        QCOMPARE(IniValues::readBool(file, "Main", "Minus", false), true);
        QCOMPARE(IniValues::readBool(file, "Main", "HexZero", true), false);
        QCOMPARE(IniValues::readBool(file, "Main", "Bad", true), true);
        QCOMPARE(IniValues::readBool(file, "Main", "Bad", false), false);
        QCOMPARE(IniValues::readBool(file, "Main", "Missing", true), true);
        QCOMPARE(IniValues::readBool(file, "Main", "Missing", false), false);
    }

    void writesDecimalAndDigitBooleans()
    {
        QFile::remove(ini_.path());
        IniFile::Batch batch(ini_.path());
        IniValues::writeInteger(batch, "Main", "A", -5);
        IniValues::writeInteger(batch, "Main", "B", 2147483647);
        IniValues::writeBool(batch, "Main", "C", true);
        IniValues::writeBool(batch, "Main", "D", false);
        batch.save();
        QFile file(ini_.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Main]\r\nA=-5\r\nB=2147483647\r\nC=1\r\nD=0\r\n"));
    }
};

QTEST_MAIN(IniValuesTest)
#include "tst_inivalues.moc"
