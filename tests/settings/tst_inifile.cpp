#include "base/EditorError.h"
#include "settings/IniFile.h"
#include "tests/support/TempIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// A file as the study's tests make it, and the names they use.
const QByteArray kDefaultContent = "[SectionName]\r\nTestKey=TestValue\r\n[SectionName2]\r\nTestKey2=TestValue2\r\n";
const QString S = QStringLiteral("SectionName");
const QString K = QStringLiteral("TestKey");
const QString V = QStringLiteral("TestValue");

QByteArray utf16le(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

QByteArray utf16be(const QString& text)
{
    QByteArray bytes("\xFE\xFF");
    for (const QChar c : text)
        bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    return bytes;
}

const QByteArray kUtf8Mark = "\xEF\xBB\xBF";
const QByteArray kMissing = "<missing>";
const QByteArray kRefused = "<refused>";

// A row that reads `key` of `section` (default "<default>") from `file`.
void read(const char* name, const QByteArray& file, const QString& section, const QString& key, const QString& expected,
          const QString& defaultValue = QStringLiteral("<default>"))
{
    QTest::newRow(name) << file << section << key << defaultValue << false << expected.toUtf8();
}

// A row that writes `value` under each of `keys` ("|" between them) in turn;
// `after` is the file then, or kRefused for a write that must be refused.
void write(const char* name, const QByteArray& before, const QString& section, const QString& keys,
           const QString& value, const QByteArray& after)
{
    QTest::newRow(name) << before << section << keys << value << true << after;
}

} // namespace

// Each case is a file going in, then the value read or the file's exact
// bytes after the write. Rows named Given_… follow the cases of a public
// study of the Windows profile services, whose tests record what Windows
// returned or wrote; where the editor deliberately does otherwise (it
// refuses names that would not read back, writes UTF-8 where Windows writes
// its code page, and reads no file over IniFile::kMaxFileBytes, so its large
// keys and values are half the study's 1 MiB), the row says what the editor
// does. The other rows are the editor's own cases.
class IniFileTest : public QObject {
    Q_OBJECT

private:
    TempIniFile ini_{QStringLiteral("test.ini")};

    // The write must fail with the editor's error and leave the file as it was.
    void expectRefused(const QString& section, const QString& key, const QString& value)
    {
        const QByteArray before = ini_.contents();
        try {
            IniFile::writeString(ini_.path(), section, key, value);
            QFAIL("the write was not refused");
        } catch (const EditorError& error) {
            QCOMPARE(error.text(), QStringLiteral("Unable to write to %1").arg(ini_.path()));
        }
        QCOMPARE(ini_.contents(), before);
    }

private slots:
    void init() { QFile::remove(ini_.path()); }

    void readsAndWrites_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text"); // the default of a read, the value of a write
        QTest::addColumn<bool>("writes");
        QTest::addColumn<QByteArray>("expected"); // the value read, or the file after the write

        // Reading.
        read("Given_AnIniFileWithKnownContent_When_TheContentIsAccessed_Then_WeGetTheExpectedValue", kDefaultContent, S,
             K, V);
        read("Given_AnIniFileWithDuplicateKeys_When_TheKeyIsRead_Then_WeGetTheFirstOccurrence",
             "[SectionName]\r\nTestKey=TestValue\r\nTestKey=TestValue2", S, K, V);
        read("Given_AnIniFileWithDuplicateSections_When_TheKeyIsRead_Then_OnlyTheFirstSectionIsConsidered",
             "[SectionName]\r\n[SectionName]\r\nTestKey=TestValue", S, K, "<default>");
        read("Given_AnIniFileWithKnownContent_When_ANonExistingKeyIsAccessed_Then_WeGetTheDefaultValue",
             kDefaultContent, S, "NonExistingKey", "<default>");
        read("Given_AnIniFileWithKnownContent_When_ANonExistingSectionIsAccessed_Then_WeGetTheDefaultValue",
             kDefaultContent, "NonExistingSection", K, "<default>");
        read("Given_NoIniFile_When_TheContentIsAccessed_Then_WeGetTheDefaultValue", kMissing, S, K, "<default>");
        read("Given_AnIniFileWithKnownContent_When_NullIsTheDefaultValue_Then_WeGetAnEmptyString", kDefaultContent, S,
             "NonExistingKey", "", QString());
        read("Given_AnSectionWithUpperCaseLetters_When_TheContentIsAccessedWithLowerCase_Then_WeGetTheExpectedValue",
             kDefaultContent, "sectionname", K, V);
        read("Given_AnEntryWithUpperCaseLetter_When_TheContentIsAccessedWithLowerCase_Then_WeGetTheExpectedValue",
             kDefaultContent, S, "TESTKEY", V);
        read("Given_ASectionParameterWithOpeningBracket_When_TheValueIsRead_Then_WeGetTheExpectedValue",
             "[[sec]\r\nTestKey=TestValue\r\n", "[sec", K, V);
        read("Given_ASectionNameWithClosingBracket_When_TheContentIsAccessed_Then_WeDontGetTheValue",
             "[sec]whoops]\r\nTestKey=TestValue\r\n", "sec]whoops", K, "<default>");
        read("Given_ASectionNameWithClosingBracket (the name ends at the first ])",
             "[sec]whoops]\r\nTestKey=TestValue\r\n", "sec", K, V);
        read("Given_KeyValueBehindClosingSquareBracket_When_WeTryToAccessTheValue_Then_WeDontGetTheValue",
             "[SectionName]TestKey=TestValue\r\n", S, K, "<default>");
        read("Given_AValueWithoutAnySection_When_WeTryToAccessIt_Then_WeDontGetTheValue",
             "TestKey=TestValue\r\n[SectionName]\r\nTestKey2=TestValue2\r\n", "", K, "<default>");
        read("Given_AValueWithoutAnySection (a blank section name)",
             "TestKey=TestValue\r\n[SectionName]\r\nTestKey2=TestValue2\r\n", " ", K, "<default>");
        read("Given_ASectionNameWithMissingClosingBracket_When_WeAccessAKey_Then_WeGetTheValue",
             "[SectionName   \r\nTestKey=TestValue\r\n", S, K, V);
        read("Given_ASectionNameWithMissingOpeningBracket_When_WeAccessAKey_Then_WeDontGetTheValue",
             "SectionName]\r\nTestKey=TestValue\r\n", S, K, "<default>");
        read("Given_ADefaultValueWithSpaces_When_TheDefaultValueIsReturned_Then_TrailingSpacesAreStripped",
             kDefaultContent, S, "NonExistingKey", "   default", "   default   ");
        read("Given_ADefaultValueWithTrailingWhitespace_When_TheDefaultValueIsReturned_Then_OnlySpacesAreStripped "
             "(tab)",
             kDefaultContent, S, "NonExistingKey", "\tdefault\t", "\tdefault\t");
        read("Given_ADefaultValueWithTrailingWhitespace_When_TheDefaultValueIsReturned_Then_OnlySpacesAreStripped "
             "(line feed)",
             kDefaultContent, S, "NonExistingKey", "\ndefault\n", "\ndefault\n");
        read("Given_AValueWithWhitespace_When_TheValueIsRead_Then_WhitespaceIsStripped (space)",
             "[SectionName]\r\nTestKey= TestValue \r\n", S, K, V);
        read("Given_AValueWithWhitespace_When_TheValueIsRead_Then_WhitespaceIsStripped (tab)",
             "[SectionName]\r\nTestKey=\tTestValue\t\r\n", S, K, V);
        read("Given_AValueWithWhitespace_When_TheValueIsRead_Then_WhitespaceIsStripped (vertical tab)",
             "[SectionName]\r\nTestKey=\vTestValue\v\r\n", S, K, V);
        read("Given_ASectionNameWithWhitespacesBeforeTheBracket_When_TheValueIsRead_Then_TheWhitespaceIsIgnored "
             "(space)",
             " [SectionName]\r\nTestKey=TestValue\r\n", S, K, V);
        read("Given_ASectionNameWithWhitespacesBeforeTheBracket_When_TheValueIsRead_Then_TheWhitespaceIsIgnored "
             "(vertical tab)",
             "\v[SectionName]\r\nTestKey=TestValue\r\n", S, K, V);
        read("Given_ASectionNameWithWhitespacesBeforeTheBracket_When_TheValueIsRead_Then_TheWhitespaceIsIgnored "
             "(line feed)",
             "\n[SectionName]\r\nTestKey=TestValue\r\n", S, K, V);
        read("Given_ASectionNameWithWhitespacesWithinTheBracket_When_TheValueIsRead_Then_TheWhitespaceIsIgnored "
             "(space)",
             "[ x ]\r\nTestKey=TestValue\r\n", "x", K, V);
        read("Given_ASectionNameWithWhitespacesWithinTheBracket_When_TheValueIsRead_Then_TheWhitespaceIsIgnored "
             "(tab)",
             "[\tx\t]\r\nTestKey=TestValue\r\n", "x", K, V);
        read("Given_ASectionNameWithWhitespacesWithinTheBracket_When_TheValueIsRead_Then_TheWhitespaceIsIgnored "
             "(vertical tab)",
             "[\vx\v]\r\nTestKey=TestValue\r\n", "x", K, V);
        read("Given_ASectionParameterWithSpace_When_TheValueIsRead_Then_TheSpacesAreStripped", kDefaultContent,
             " SectionName ", K, V);
        read("Given_ASectionParameterWithTabs_When_TheValueIsRead_Then_TheTabsAreNotStripped", kDefaultContent,
             "\tSectionName", K, "<default>");
        read("Given_AKeyWithSpacesBeforeAndAfter_When_TheValueIsRead_Then_TheWhitespacesAreStripped (space)",
             "[SectionName]\r\n TestKey =TestValue\r\n", S, K, V);
        read("Given_AKeyWithSpacesBeforeAndAfter_When_TheValueIsRead_Then_TheWhitespacesAreStripped (vertical tab)",
             "[SectionName]\r\n\vTestKey\v=TestValue\r\n", S, K, V);
        read("Given_AKeyParameterWithWhitespaces_When_TheValueIsRead_Then_TheKeyCannotBeFound", kDefaultContent, S,
             "TestKey\t", "<default>");
        read("Given_AnIniFileWithSemicolonAtBeginOfKey_When_TheValueIsRead_Then_WeGetTheDefaultValue",
             "[SectionName]\r\n;key=TestValue\r\n", S, ";key", "<default>");
        read("Given_AnIniFileWithSemicolonAtBeginOfKey (the key without it)", "[SectionName]\r\n;key=TestValue\r\n", S,
             "key", "<default>");
        read("Given_AnIniFileWithSpacesBeforeTheSemicolon_When_TheContentIsAccessed_Then_ItsStillAComment",
             "[SectionName]\r\n\v;TestKey=TestValue\r\n", S, K, "<default>");
        read("Given_AnIniFileWrittenWithSemicolonInValue_When_TheValueIsRead_Then_WeGetTheSemicolon",
             "[SectionName]\r\nTestKey=;nocomment\r\n", S, K, ";nocomment");
        read("Given_AKeyParameterWithSemicolon (read back)", "[SectionName]\r\nkey ;nocomment=TestValue\r\n", S,
             "key ;nocomment", V);
        read("Given_AnIniFileWrittenWithSemicolonInSection (read back)", "[;section]\r\nTestKey=TestValue\r\n",
             ";section", K, V);
        read("Given_AnIniFile_When_ACommentIsWrittenViaTheValueAndAnEmptyKey (read back)",
             "[SectionName]\r\n=;comment\r\n", S, "", ";comment");
        read("Given_AValueWithDifferentQuotes_When_TheValueIsRetrieved_Then_NoQuotesAreStripped",
             "[SectionName]\r\nTestKey=  \"   TestValue   '  \r\n", S, K, "\"   TestValue   '");
        read("Given_AValueWithDoubleQuotationMarks_When_TheValueIsRetrieved_Then_TheQuotesAreStripped",
             "[SectionName]\r\nTestKey=  \"   TestValue   \"  \r\n", S, K, "   TestValue   ");
        read("Given_AValueWithSingleQuotationMarks_When_TheValueIsRetrieved_Then_TheQuotesAreStripped",
             "[SectionName]\r\nTestKey=  '   TestValue   '  \r\n", S, K, "   TestValue   ");
        read("Given_AValueWithQuotesInQuotes_When_TheValueIsRetrieved_Then_TheOutermostQuotesAreStripped",
             "[SectionName]\r\nTestKey=  '\"   TestValue   \"'  \r\n", S, K, "\"   TestValue   \"");
        read("Given_AValueWithQuotesInWrongOrder_When_TheValueIsRetrieved_Then_NoQuotesAreStripped",
             "[SectionName]\r\nTestKey=  '\"   TestValue   '\"  \r\n", S, K, "'\"   TestValue   '\"");
        read("Given_AKeyWithQuotes_When_TheKeyIsUsed_Then_NoQuotesAreStripped",
             "[SectionName]\r\n\"TestKey\"=TestValue\r\n", S, "\"TestKey\"", V);
        read("Given_AKeyWithQuotes (the key without them)", "[SectionName]\r\n\"TestKey\"=TestValue\r\n", S, K,
             "<default>");
        read("Given_ASectionWithQuotes_When_TheKeyIsUsed_Then_NoQuotesAreStripped",
             "['SectionName']\r\nTestKey=TestValue\r\n", "'SectionName'", K, V);
        read("Given_ASectionWithQuotes (the section without them)", "['SectionName']\r\nTestKey=TestValue\r\n", S, K,
             "<default>");
        read("Given_ASectionWithNoName_When_UsingEmptyString_Then_WeGetTheValue", "[]\r\nTestKey=TestValue\r\n", "", K,
             V);
        read("Given_AnIniFileWrittenWithHashtagInValue (read back)", "[SectionName]\r\nTestKey=#nocomment\r\n", S, K,
             "#nocomment");
        read("Given_AnIniFileWrittenWithHashtagInKey (read back)", "[SectionName]\r\n#comment=defaultValue\r\n", S,
             "#comment", "defaultValue");
        read("Given_ASectionNameWithAnotherSectionName_When_TheContentIsAccessed_Then_TheSecondSectionIsIgnored",
             "[sec][sec2]]\r\nTestKey=defaultValue\r\n", "sec", K, "defaultValue");
        read("Given_ASectionNameWithAnotherSectionName (the hidden name)", "[sec][sec2]]\r\nTestKey=defaultValue\r\n",
             "sec2", K, "<default>");
        read("Given_ASectionNameWithNewlineAndAnotherSectionName_When_TheContentIsAccessed_Then_"
             "TheSecondSectionIsIgnored",
             "[sec]\r\n[sec2]]\r\nTestKey=defaultValue\r\n", "sec2", K, "defaultValue");
        read("Given_ASectionNameMakingUpANewKeyValuePair_When_TheFakeKeyIsAccessed_Then_WeGetTheFakeValue",
             "[sec]\r\nkey=value]\r\nTestKey=defaultValue\r\n", "sec", "key", "value]");
        read("Given_ALargeKey_When_ReadingTheKey_Then_TheresNo65536CharacterLimit",
             "[SectionName]\r\n" + QByteArray(1 << 19, 'x') + "=TestValue\r\n", S, QString(1 << 19, u'x'), V);
        read("Given_AFileWithUTF16BOM_When_ReadingTheContent_Then_WeHaveUnicodeSupport",
             utf16le(QString::fromLatin1(kDefaultContent)), S, K, V);
        read("Given_UTF16BEBOM_When_ReadingTheContent_Then_WeGetTheDefaultValue",
             utf16be(QString::fromLatin1(kDefaultContent)), S, K, "<default>");
        read("Given_UTF16BEBOMAndLineBreak_When_ReadingTheContent_Then_WeGetTheDefaultValue",
             utf16be("\r\n[SectionName]\r\nTestKey=TestValue\r\n"), S, K, "<default>");
        read("Given_AFileWithUTF8BOM_When_ReadingTheContent_Then_TheFirstLineIsBroken", kUtf8Mark + kDefaultContent, S,
             K, "<default>");
        read("Given_AFileWithUTF8BOM_When_ReadingTheContent_Then_TheFirstLineIsBroken (the second section)",
             kUtf8Mark + kDefaultContent, "SectionName2", "TestKey2", "TestValue2");
        read("Given_AnIniFileWithUnicodeContent_When_TheContentIsAccessed_Then_WeGetTheExpectedValue_ByteArrayAnsi_"
             "ConvertManually_NoBOM",
             "[SectionName]\r\nTestKey=Unicode❤︎\r\n", S, K, "Unicode❤︎");

        read("plain", "[Main]\r\nLogoX=12\r\n", "Main", "LogoX", "12");
        read("blanks trimmed, value after first =", " \t[ Main ] \r\n\t a = b=c \t\r\n", "Main", "a", "b=c");
        read("header with text after its ]", "[Main] ; layout v2 [draft]\r\nLogoX=12\r\n", "Main", "LogoX", "12");
        read("header without ] opens its section", "[Main\r\nLogoX=12\r\n", "Main", "LogoX", "12");
        read("header without ] ends the section before it", "[Main]\r\n[oops\r\nk=1\r\n", "Main", "k", "<default>");
        read("double quotes lose one pair", "[S]\r\nk=\"\"x y\"\"\r\n", "S", "k", "\"x y\"");
        read("lone quote stays", "[S]\r\nk=\"\r\n", "S", "k", "\"");
        read("empty double quotes read as empty", "[S]\r\nk=\"\"\r\n", "S", "k", "");
        read("empty single quotes read as empty", "[S]\r\nk=  ''  \r\n", "S", "k", "");
        read("Cyrillic names in another case", "[Главное]\r\nКлюч=1\r\n", "ГЛАВНОЕ", "ключ", "1");
        read("empty value is no default", "[S]\r\nk=\r\n", "S", "k", "");
        read("line without = is an empty key", "[S]\r\nk\r\n", "S", "k", "");
        read("key of another section", "[T]\r\nk=1\r\n[S]\r\n", "S", "k", "<default>");
        read("later same-named section unread", "[S]\r\nk=1\r\n[T]\r\n[S]\r\nj=2\r\n", "S", "j", "<default>");
        read("LF", "[S]\nk=1\nj=2", "S", "j", "2");
        read("lone CR", "[S]\rk=1\rj=2\r", "S", "j", "2");
        read("mixed endings", "[S]\r\nk=1\rj=2\n", "S", "k", "1");
        read("UTF-8 text", "[S]\r\nk=\xD0\x9F\xD1\x80\xD0\xB8\r\n", "S", "k", "При");
        read("Windows-1251 text", "[S]\r\nk=\xCF\xF0\xE8\r\n", "S", "k", "При");
        read("Windows-1251 names", "[\xD0\xE0\xE7]\r\n\xCA\xEB\xFE\xF7=1\r\n", "раз", "КЛЮЧ", "1");
        read("UTF-16 LE text", utf16le("[Pelmora]\r\n1=О программе\r\n"), "pelmora", "1", "О программе");
        read("UTF-16 LE with LF", utf16le("[Main]\nLogoX=12\n"), "Main", "LogoX", "12");

        // Writing.
        write("Given_AnExistingEmptyFile_When_AValueIsWritten_Then_TheFileContainsSectionKeyAndValue", "", S, K, V,
              "[SectionName]\r\nTestKey=TestValue\r\n");
        write("Given_ANonExistingFile_When_AValueIsWritten_Then_TheFileIsCreated", kMissing, S, K, V,
              "[SectionName]\r\nTestKey=TestValue\r\n");
        write("Given_ASectionNameNotOnlyLetters_When_WritingTheSection_Then_ItsAccepted", "",
              "1234567890!$%&/()=?*+#-_<>.,:;@~\"'|`\\ \t\v", K, V, kRefused);
        write("Given_ASectionNameNotOnlyLetters (without the outer blanks)", "",
              "1234567890!$%&/()=?*+#-_<>.,:;@~\"'|`\\", K, V,
              "[1234567890!$%&/()=?*+#-_<>.,:;@~\"'|`\\]\r\nTestKey=TestValue\r\n");
        write("Given_ASectionNameContainingAParagraph_When_WritingTheSection_Then_ItBecomesAReplacementCharacter", "",
              "§€°´²³", K, V, "[\xC2\xA7\xE2\x82\xAC\xC2\xB0\xC2\xB4\xC2\xB2\xC2\xB3]\r\nTestKey=TestValue\r\n");
        write("Given_AKeyNameNotOnlyLetters_When_WritingTheSection_Then_ItsAccepted", "", S,
              "1234567890!$%&/()=?*+#-_<>.,:;@~\"'|`\\ \t\v", V, kRefused);
        write("Given_AnEmptyIniFile_When_WritingKeys_Then_TheyAreWrittenInChronologicalOrder", "", S, "z|a|y|b", "",
              "[SectionName]\r\nz=\r\na=\r\ny=\r\nb=\r\n");
        write("Given_AnIniFileWithExistingKeys_When_WritingKeys_Then_TheyAreKeptInOriginalOrder",
              "[SectionName]\r\nb=value\r\na=value\r\n", S, "z|b|y|a", "", "[SectionName]\r\nb=\r\na=\r\nz=\r\ny=\r\n");
        write("Given_AnExistingKey_When_WritingTheKeyWithUpperCase_Then_TheExistingCasingIsKept",
              "[SectionName]\r\nTestKey=TestValue", S, "TESTKEY", "TestValue2",
              "[SectionName]\r\nTestKey=TestValue2\r\n");
        write("Given_AnExistingSection_When_WritingTheSectionWithUpperCase_Then_TheExistingCasingIsKept",
              "[SectionName]\r\nTestKey=TestValue", "SECTIONNAME", K, "TestValue2",
              "[SectionName]\r\nTestKey=TestValue2\r\n");
        write("Given_AnExistingValue_When_WritingTheValueWithUpperCase_Then_ThenewValueIsUsed",
              "[SectionName]\r\nTestKey=TestValue", S, K, "TESTVALUE", "[SectionName]\r\nTestKey=TESTVALUE\r\n");
        write("Given_ASectionParameterWithOpeningBracket_When_TheValueIsAccessed_Then_WeGetTheExpectedValue", kMissing,
              "[sec", K, V, "[[sec]\r\nTestKey=TestValue\r\n");
        write("Given_ASectionNameWithClosingBracket_When_TheContentIsAccessed_Then_WeDontGetTheValue", kMissing,
              "sec]whoops", K, V, kRefused);
        write("Given_AValueParameterWithWhitespaces_When_TheValueIsWritten_Then_NothingIsStripped (space)", kMissing, S,
              K, " value ", "[SectionName]\r\nTestKey= value \r\n");
        write("Given_AValueParameterWithWhitespaces_When_TheValueIsWritten_Then_NothingIsStripped (tab)", kMissing, S,
              K, "\tvalue\t", "[SectionName]\r\nTestKey=\tvalue\t\r\n");
        write("Given_AValueParameterWithWhitespaces_When_TheValueIsWritten_Then_NothingIsStripped (vertical tab)",
              kMissing, S, K, "\vvalue\v", "[SectionName]\r\nTestKey=\vvalue\v\r\n");
        write("Given_AValueParameterWithWhitespaces_When_TheValueIsWritten_Then_NothingIsEscaped (line feed)", kMissing,
              S, K, "\nvalue\n", kRefused);
        write("Given_ASectionParameterWithSpaces_When_TheSectionIsWritten_Then_SpacesAreStripped", kMissing, " sec ", K,
              V, kRefused);
        write("Given_ASectionParameterWithWhitespaces_When_TheSectionIsWritten_Then_OnlySpacesAreStripped", kMissing,
              "\tsec\t", K, V, kRefused);
        write("Given_AKeyParameterWithSpaces_When_TheValueIsWritten_Then_SpacesAreStripped", kMissing, S, " key ", V,
              kRefused);
        write("Given_AKeyParameterWithWhitespaces_When_TheValueIsWritten_Then_OnlySpacesAreStripped", kMissing, S,
              "\vkey\v", V, kRefused);
        write("Given_AKeyParameterWithSemicolonAtBeginning_When_TheValueIsWritten_Then_TheFileContainsTheSemicolon",
              kMissing, S, ";key", V, kRefused);
        write("Given_AValueParameterWithSemicolon_When_TheValueIsWritten_Then_TheSemicolonIsPartOfTheFile", kMissing, S,
              K, ";nocomment", "[SectionName]\r\nTestKey=;nocomment\r\n");
        write("Given_AKeyParameterWithSemicolon_When_TheValueIsWritten_Then_TheSemicolonIsPartOfTheFile", kMissing, S,
              "key ;nocomment", V, "[SectionName]\r\nkey ;nocomment=TestValue\r\n");
        write("Given_AnIniFileWrittenWithSemicolonInSection_When_TheContentIsAccessed_Then_WeGetTheSemicolon", kMissing,
              ";section", K, V, "[;section]\r\nTestKey=TestValue\r\n");
        write("Given_AnIniFile_When_ACommentIsWrittenViaTheValueAndAnEmptyKey_Then_ItsNotAComment", kMissing, S, "",
              ";comment", "[SectionName]\r\n=;comment\r\n");
        write("Given_AnIniFile_When_ATwoCommentsAreWritten_Then_TheLatterOneIsFirst (a key after a comment)",
              "[SectionName]\r\nz=\r\n;y=\r\n", S, "a", "", "[SectionName]\r\nz=\r\na=\r\n;y=\r\n");
        write("Given_AnIniFileWithExistingComments_When_Writing_Then_TheyAreKeptInOrder (without the comment key)",
              ";comment0\r\n[SectionName]\r\n;comment1\r\nb=value\r\n;comment2\r\na=value\r\n", S, "z|y|a|b", "",
              ";comment0\r\n[SectionName]\r\n;comment1\r\nb=\r\n;comment2\r\na=\r\nz=\r\ny=\r\n");
        write("Given_ASectionParameterWithQuotes_When_TheSectionIsWritten_Then_NoQuotesAreStripped", "", "\"section\"",
              K, V, "[\"section\"]\r\nTestKey=TestValue\r\n");
        write("Given_AKeyParameterWithQuotes_When_TheKeyIsWritten_Then_NoQuotesAreStripped", "", S, "'key'", V,
              "[SectionName]\r\n'key'=TestValue\r\n");
        write("Given_AnEmptySectionName_When_WritingAValue_Then_ASectionWithoutNameIsCreated", "", "", K, V,
              "[]\r\nTestKey=TestValue\r\n");
        write("Given_AnIniFileWrittenWithHashtagInValue_When_TheContentIsAccessed_Then_WeGetTheHashtag", kMissing, S, K,
              "#nocomment", "[SectionName]\r\nTestKey=#nocomment\r\n");
        write("Given_AnIniFileWrittenWithHashtagInKey_When_TheContentIsAccessed_Then_WeGetTheHashtag", kMissing, S,
              "#comment", "defaultValue", "[SectionName]\r\n#comment=defaultValue\r\n");
        write("Given_ASectionNameWithAnotherSectionName_When_TheContentIsAccessed_Then_TheSecondSectionIsIgnored",
              kMissing, "sec][sec2]", K, "defaultValue", kRefused);
        write("Given_ASectionNameWithNewlineAndAnotherSectionName_When_TheContentIsAccessed_Then_"
              "TheSecondSectionIsIgnored",
              kMissing, "sec]\r\n[sec2]", K, "defaultValue", kRefused);
        write("Given_ASectionNameMakingUpANewKeyValuePair_When_TheFakeKeyIsAccessed_Then_WeGetTheFakeValue", kMissing,
              "sec]\r\nkey=value", K, "defaultValue", kRefused);
        write("Given_ALargeString_When_TheValueIsWritten_Then_ItCanWriteMoreThan65536Characters", "", S, K,
              QString(1 << 19, u'x'), "[SectionName]\r\nTestKey=" + QByteArray(1 << 19, 'x') + "\r\n");
        write("Given_AFileWithUTF16Header_When_WritingToTheFile_Then_WeHaveUnicodeSupport", utf16le(""), "Привет", K, V,
              utf16le("\r\n[Привет]\r\nTestKey=TestValue\r\n"));
        write("Given_UTF16BEBOM_When_WritingToTheFile_Then_ContentIsANSI", utf16be("\r\n"), S, K, V,
              utf16be("\r\n") + "[SectionName]\r\nTestKey=TestValue\r\n");
        write("Given_AFileWithUTF8BOM_When_WritingToTheFile_Then_WeGetReplacementCharacters", kUtf8Mark, "§€°´²³", K, V,
              kUtf8Mark + "\r\n[\xC2\xA7\xE2\x82\xAC\xC2\xB0\xC2\xB4\xC2\xB2\xC2\xB3]\r\nTestKey=TestValue\r\n");
        write("Given_AUnicodeStringToWrite_When_ItsWrittenToAnAnsiFile_Then_WeGetReplacementCharacters", kMissing, S, K,
              "Unicode❤︎", "[SectionName]\r\nTestKey=Unicode\xE2\x9D\xA4\xEF\xB8\x8E\r\n");

        write("replaced in place, other lines kept", "; note \r\n[Main]\r\n  a = 1 \r\n b = 2 \r\n", "main", "A", "5",
              "; note \r\n[Main]\r\na=5\r\n b = 2 \r\n");
        write("key keeps the file's spelling", "[Main]\r\nLOGOX=1\r\n", "Main", "LogoX", "7", "[Main]\r\nLOGOX=7\r\n");
        write("first of duplicate keys replaced", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "3", "[S]\r\nk=3\r\nk=2\r\n");
        write("key line without =", "[S]\r\nk\r\n", "S", "k", "3", "[S]\r\nk=3\r\n");
        write("new key after the last key, before blank lines", "[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
              "[A]\r\nx=1\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
        write("a comment after the last key stays after the new key", "[A]\r\nx=1\r\n; end\r\n\r\n[B]\r\n", "A", "z",
              "3", "[A]\r\nx=1\r\nz=3\r\n; end\r\n\r\n[B]\r\n");
        write("new key in a bare section", "[A]\r\n \r\n[B]\r\n", "A", "z", "3", "[A]\r\nz=3\r\n \r\n[B]\r\n");
        write("new key into the first of duplicate sections", "[A]\r\n[B]\r\n[A]\r\n", "A", "z", "3",
              "[A]\r\nz=3\r\n[B]\r\n[A]\r\n");
        write("new key after unterminated last line", "[A]\r\nx=1", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n");
        write("replaced unterminated last line is ended", "[A]\r\nx=1", "A", "x", "2", "[A]\r\nx=2\r\n");
        write("new section at the end, no blank line", "[A]\r\nx=1\r\n", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        write("new section after blank lines", "[A]\r\nx=1\r\n\r\n", "B", "y", "2", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
        write("new section after unterminated last line", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        write("header with text after its ] keeps its key", "[Main] ; v2 [draft]\r\nLogoX=1\r\n", "Main", "LogoX", "2",
              "[Main] ; v2 [draft]\r\nLogoX=2\r\n");
        write("header without ] keeps its key", "[Main\r\nLogoX=1\r\n", "Main", "LogoX", "2", "[Main\r\nLogoX=2\r\n");
        write("UTF-8 mark: the section it hides is added again", kUtf8Mark + "[Main]\r\nLogoX=1\r\n", "Main", "LogoX",
              "2", kUtf8Mark + "[Main]\r\nLogoX=1\r\n[Main]\r\nLogoX=2\r\n");
        write("LF file stays LF", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n");
        write("CR file stays CR", "[A]\rx=1\r", "A", "y", "2", "[A]\rx=1\ry=2\r");
        write("mixed endings give CR LF", "[A]\nx=1\r\n", "A", "y", "2", "[A]\nx=1\r\ny=2\r\n");
        write("UTF-8 into new file", kMissing, "A", "x", "При", "[A]\r\nx=\xD0\x9F\xD1\x80\xD0\xB8\r\n");
        write("Windows-1251 file stays Windows-1251", "[A]\r\nn=\xCF\r\n", "A", "x", "При",
              "[A]\r\nn=\xCF\r\nx=\xCF\xF0\xE8\r\n");
        write("UTF-16 LE: a new key", utf16le("[Main]\r\nLogoX=1\r\n"), "Main", "LogoY", "2",
              utf16le("[Main]\r\nLogoX=1\r\nLogoY=2\r\n"));
        write("UTF-16 LE: a value replaced", utf16le("[Main]\r\nLogoX=1\r\nLogoY=2\r\n"), "Main", "LogoX", "30",
              utf16le("[Main]\r\nLogoX=30\r\nLogoY=2\r\n"));
        write("UTF-16 LE: a new section, LF endings kept", utf16le("[Main]\nLogoX=1\n"), "Pelmora", "Path",
              "C:\\Музыка", utf16le("[Main]\nLogoX=1\n[Pelmora]\nPath=C:\\Музыка\n"));
        write("UTF-16 LE: CR LF endings kept", utf16le("[Main]\r\nLogoX=1"), "Other", "k", "v",
              utf16le("[Main]\r\nLogoX=1\r\n[Other]\r\nk=v\r\n"));
    }

    void readsAndWrites()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(bool, writes);
        QFETCH(QByteArray, expected);
        if (file != kMissing)
            ini_.put(file);
        if (!writes) {
            QCOMPARE(IniFile::readString(ini_.path(), section, key, text), QString::fromUtf8(expected));
        } else if (expected == kRefused) {
            expectRefused(section, key, text);
        } else {
            for (const QString& each : key.split(u'|'))
                IniFile::writeString(ini_.path(), section, each, text);
            QCOMPARE(ini_.contents(), expected);
        }
    }

    void readsDefaultWithoutFile()
    {
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", "d"), QStringLiteral("d"));
        QCOMPARE(IniFile::readString(ini_.folder(), "S", "k", "d"), QStringLiteral("d")); // a folder
    }

    void cutsLongValues()
    {
        ini_.put("[S]\r\nk=" + QByteArray(3000, 'v') + "\r\n");
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", {}), QString(2047, u'v'));
    }

    void readsBackWhatItWrites()
    {
        const QStringList values = {"1", "", "a=b", "C:\\Мои документы\\music.wav", "; not a comment", "[Main]"};
        for (const QString& value : values) {
            IniFile::writeString(ini_.path(), "Main", "Key", value);
            QCOMPARE(IniFile::readString(ini_.path(), "Main", "Key", "<default>"), value);
        }
    }

    void refusesTextsThatWouldAddLines()
    {
        ini_.put("[Main]\r\nk=1\r\n");
        expectRefused("Main", "k", "2\r\n[Other]");
        expectRefused("Main", "k", "2\n");
        expectRefused("Main", "k", "2\r");
        expectRefused("Main", "k\nj", "2");
        expectRefused("Main\r\n[X", "k", "2");
        expectRefused("Main", "k=j", "2");
    }

    // A text the file's code page cannot hold makes the file UTF-16 with its
    // mark, which Windows reads as such; every other text stays as it was.
    void aTextTheCodePageCannotHoldMakesTheFileUtf16()
    {
        ini_.put("[Main]\r\nLangFile=\xD0\xF3\xF1\xF1\xEA\xE8\xE9.lng\r\n"); // Windows-1251
        IniFile::writeString(ini_.path(), "Pelmora", "LastMusPath", "C:\\Café.wav");
        QCOMPARE(ini_.contents(),
                 utf16le("[Main]\r\nLangFile=Русский.lng\r\n[Pelmora]\r\nLastMusPath=C:\\Café.wav\r\n"));
        // Not even UTF-16 holds half a character.
        expectRefused("Main", "k", QString(QChar(0xD800)));
    }

    void readsAndRewritesEveryWindows1251Byte()
    {
        // The code page as Qt's ICU gives it, which is Windows's own table:
        // 0x98, which the code page leaves out, reads as U+0098.
        QStringDecoder codePage("windows-1251");
        if (!codePage.isValid())
            QSKIP("this Qt has no Windows-1251 converter to compare with");
        QByteArray upperHalf;
        for (int byte = 0x80; byte <= 0xFF; ++byte)
            upperHalf.append(char(byte));
        const QString expected = codePage.decode(upperHalf);
        const QByteArray file = "[A]\r\nk=" + upperHalf + "\r\n";
        ini_.put(file);
        const QString read = IniFile::readString(ini_.path(), "A", "k", {});
        for (int i = 0; i < 128; ++i)
            QVERIFY2(read.at(i) == expected.at(i), qPrintable(QString::number(0x80 + i, 16)));
        IniFile::writeString(ini_.path(), "A", "k", read);
        QCOMPARE(ini_.contents(), file);
    }

    void keepsTheOddLastByteOfAUtf16File()
    {
        ini_.put(utf16le("[A]\r\nk=1\r\n") + "\x42");
        IniFile::writeString(ini_.path(), "A", "k", "2");
        QCOMPARE(ini_.contents(), utf16le("[A]\r\nk=2\r\n") + "\x42");
    }

    // Anything but a regular file of a sensible size is a file that cannot be
    // opened: every key reads its default and nothing is written. A pipe or
    // a device must not hold the editor.
    void readsAndWritesNothingButRegularFiles()
    {
        const QByteArray large = "[S]\r\nk=1\r\n" + QByteArray(IniFile::kMaxFileBytes, ';');
        ini_.put(large.first(IniFile::kMaxFileBytes));
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", "d"), QStringLiteral("1"));
        ini_.put(large.first(IniFile::kMaxFileBytes + 1));
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", "d"), QStringLiteral("d"));
        expectRefused("S", "k", "2");
#ifdef Q_OS_UNIX
        QVERIFY(QFile::remove(ini_.path()));
        QCOMPARE(::mkfifo(QFile::encodeName(ini_.path()).constData(), 0600), 0);
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", "d"), QStringLiteral("d"));
        QVERIFY_THROWS_EXCEPTION(EditorError, IniFile::writeString(ini_.path(), "S", "k", "2"));
        QVERIFY(!QFileInfo(ini_.path()).isFile());
        if (QFileInfo::exists("/dev/zero")) {
            QVERIFY(QFile::remove(ini_.path()));
            QVERIFY(QFile::link("/dev/zero", ini_.path()));
            QCOMPARE(IniFile::readString(ini_.path(), "S", "k", "d"), QStringLiteral("d"));
            QVERIFY_THROWS_EXCEPTION(EditorError, IniFile::writeString(ini_.path(), "S", "k", "2"));
        }
#endif
    }

    void refusedWriteCreatesNoFile()
    {
        expectRefused("Main", "k", "a\nb");
        QVERIFY(!QFile::exists(ini_.path()));
    }

    void failsInMissingFolder()
    {
        const QString inMissing = QDir(ini_.folder()).filePath(QStringLiteral("none/test.ini"));
        QVERIFY_THROWS_EXCEPTION(EditorError, IniFile::writeString(inMissing, "S", "k", "1"));
        QVERIFY(!QFile::exists(inMissing));
    }

    void replacesTheFileWhole()
    {
#ifdef Q_OS_UNIX
        // The old file is swapped for a complete new one, never rewritten in
        // place: a reader that opened it before still sees the old bytes.
        ini_.put("[Main]\r\nk=old\r\n");
        QFile reader(ini_.path());
        QVERIFY(reader.open(QIODevice::ReadOnly));
        IniFile::writeString(ini_.path(), "Main", "k", "new");
        QCOMPARE(reader.readAll(), QByteArray("[Main]\r\nk=old\r\n"));
        QCOMPARE(ini_.contents(), QByteArray("[Main]\r\nk=new\r\n"));
#else
        QSKIP("open files cannot be replaced on this platform");
#endif
    }

    void leavesNoTemporaryFiles()
    {
        ini_.put("[Main]\r\nk=1\r\n");
        IniFile::writeString(ini_.path(), "Main", "k", "2");
        IniFile::writeString(ini_.path(), "Main", "j", "3");
        QCOMPARE(QDir(ini_.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"test.ini"});
    }

    void failsInReadOnlyFolderAndKeepsTheFile()
    {
        ini_.put("[Main]\r\nk=1\r\n");
        QFile::setPermissions(ini_.folder(), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(QDir(ini_.folder()).filePath(QStringLiteral("probe")));
        const bool folderWritable = probe.open(QIODevice::WriteOnly);
        if (folderWritable) {
            probe.remove();
        } else {
            expectRefused("Main", "k", "2");
            expectRefused("Main", "j", "2");
        }
        QFile::setPermissions(ini_.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (folderWritable)
            QSKIP("permissions do not bind this user (root)");
    }
};

QTEST_MAIN(IniFileTest)
#include "tst_inifile.moc"
