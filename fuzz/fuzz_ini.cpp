// The INI reader and writer on any file: the bytes before the first NUL are
// the file; NUL-separated texts after it name the section, the key and the
// value to write (defaults when missing). Reads must not fail, and a write
// the writer accepts must read back as written.
#include "fuzz/FuzzSupport.h"

#include "base/EditorError.h"
#include "settings/ColourText.h"
#include "settings/IniEncoding.h"
#include "settings/IniFile.h"
#include "settings/IniValues.h"

#include <QFile>
#include <QList>

namespace {

QString part(const QList<QByteArray>& parts, int index, const char* fallback)
{
    return parts.size() > index ? QString::fromUtf8(parts[index]) : QString::fromLatin1(fallback);
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\v'; }

// Reading trims the value and drops one pair of enclosing quotes, as the
// Windows services do, and cuts long values: only other values come back
// exactly.
bool valueReadsBackExactly(const QString& value)
{
    if (value.size() > IniFile::kMaxValueLength)
        return false;
    if (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())))
        return false;
    const bool quoted =
        value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    return !quoted;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = fuzz::bytes(data, size).split('\0');
    const QString section = part(parts, 1, "Main");
    const QString key = part(parts, 2, "Program");
    const QString value = part(parts, 3, "Corvadine");
    const QString path = fuzz::writeFile(QStringLiteral("fuzz.ini"), parts.value(0));

    const QString before = IniFile::readString(path, section, key, QStringLiteral("default"));
    if (before.size() > IniFile::kMaxValueLength)
        fuzz::fail("a value longer than the longest value read");
    const IniFile::Snapshot file(path);
    if (file.readString(section, key, QStringLiteral("default")) != before)
        fuzz::fail("a snapshot reads otherwise than a single read");
    IniValues::readInteger(file, section, key, 7);
    IniValues::readBool(file, QStringLiteral("Main"), QStringLiteral("Grid"), true);
    try {
        readColour(file, section, key, 0x00FFFFFF);
    } catch (const EditorError&) {
        // an invalid colour text is the user's error, reported as such
    }

    try {
        IniFile::writeString(path, section, key, value);
    } catch (const EditorError&) {
        return 0; // refused: the file stays as it was
    }
    const QString after = IniFile::readString(path, section, key, QString());
    // A Windows-1251 file whose only non-UTF-8 bytes were replaced can come
    // out as valid UTF-8 and is then read as UTF-8: a known limit of telling
    // the encodings apart by content, left out here.
    QFile written(path);
    const auto encoding = [](const QByteArray& bytes) {
        return IniText::decode(bytes, Utf8Mark::BreaksFirstLine).encoding;
    };
    const bool sameEncoding =
        written.open(QIODevice::ReadOnly) && encoding(written.readAll()) == encoding(parts.value(0));
    if (valueReadsBackExactly(value) && sameEncoding && after != value)
        fuzz::fail("a written value reads back differently");
    return 0;
}
