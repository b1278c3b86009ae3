#include "settings/IniFile.h"

#include "base/EditorError.h"
#include "base/FileWrites.h"
#include "settings/IniEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <optional>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");
const QByteArray newFileLineEnd("\r\n");

// One line of the file: its text from `begin`, then its line ending, which
// is empty for an unterminated last line.
struct Line {
    qsizetype begin = 0;
    qsizetype length = 0;
    qsizetype endLength = 0;

    qsizetype end() const { return begin + length + endLength; }
};

struct Contents {
    QByteArray bytes;
    qsizetype bodyStart = 0; // after a byte-order mark
    QList<Line> lines;
    IniEncoding encoding = IniEncoding::Utf8;

    QByteArrayView text(const Line& line) const { return QByteArrayView(bytes).sliced(line.begin, line.length); }
};

QList<Line> splitLines(const QByteArray& bytes, qsizetype from)
{
    QList<Line> lines;
    qsizetype begin = from;
    qsizetype i = from;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        const qsizetype endLength = (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        lines.append({begin, i - begin, endLength});
        i += endLength;
        begin = i;
    }
    if (begin < bytes.size())
        lines.append({begin, bytes.size() - begin, 0});
    return lines;
}

Contents parse(QByteArray bytes)
{
    Contents contents;
    contents.bytes = std::move(bytes);
    if (contents.bytes.startsWith(utf8Bom))
        contents.bodyStart = utf8Bom.size();
    contents.lines = splitLines(contents.bytes, contents.bodyStart);
    contents.encoding = IniText::detect(contents.bytes);
    return contents;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

enum class LineKind { Empty, Section, Key };

// What a line holds. A line starting with "[" without a later "]" is read
// as a key line, as Windows does.
struct LineMeaning {
    LineKind kind = LineKind::Empty;
    QByteArrayView name;
    QByteArrayView value;
};

LineMeaning meaningOf(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (text.isEmpty() || text.front() == ';')
        return {};
    if (text.front() == '[') {
        const qsizetype close = text.lastIndexOf(']');
        if (close > 0)
            return {LineKind::Section, trimmed(text.sliced(1, close - 1)), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return {LineKind::Key, text, {}};
    return {LineKind::Key, trimmed(text.first(equals)), trimmed(text.sliced(equals + 1))};
}

bool sameName(QByteArrayView fileName, const QString& name, IniEncoding encoding)
{
    return IniText::decode(fileName, encoding).compare(name, Qt::CaseInsensitive) == 0;
}

// Where a key stands. Lines before the first section header form a section
// with the empty name, as in the Windows services.
struct Place {
    bool sectionFound = false;
    qsizetype header = -1;       // the section's header line; -1 for the lines before any header
    qsizetype lastNonBlank = -1; // the section's last non-blank line, or its header
    qsizetype keyLine = -1;
    LineMeaning key;
};

Place find(const Contents& contents, const QString& section, const QString& key)
{
    Place place;
    place.sectionFound = section.isEmpty();
    bool inSection = place.sectionFound;
    for (qsizetype i = 0; i < contents.lines.size(); ++i) {
        const LineMeaning meaning = meaningOf(contents.text(contents.lines[i]));
        if (meaning.kind == LineKind::Section) {
            if (inSection)
                break; // the first section of the name counts, and it ended here
            if (sameName(meaning.name, section, contents.encoding)) {
                place.sectionFound = inSection = true;
                place.header = place.lastNonBlank = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trimmed(contents.text(contents.lines[i])).isEmpty())
            place.lastNonBlank = i;
        if (meaning.kind == LineKind::Key && sameName(meaning.name, key, contents.encoding)) {
            place.keyLine = i;
            place.key = meaning;
            return place;
        }
    }
    return place;
}

std::optional<QByteArray> readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QByteArrayView withoutQuotes(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QString cutToMaxLength(QString value)
{
    if (value.size() <= IniFile::kMaxValueLength)
        return value;
    qsizetype length = IniFile::kMaxValueLength;
    if (value[length - 1].isHighSurrogate())
        --length; // never leave half a character
    return value.left(length);
}

[[noreturn]] void failWrite(const QString& path) { throw EditorError(ErrorText::unableToWrite(path)); }

bool holdsLineBreak(const QString& text) { return text.contains(u'\r') || text.contains(u'\n'); }

bool hasOuterBlanks(const QString& text)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    return !text.isEmpty() && (blank(text.front()) || blank(text.back()));
}

// Whether a key line written for `key`, and a header written for `section`,
// read back as that key and that section. Reading trims names, takes a line
// starting with ";" as a comment and one starting with "[" as a possible
// header, and ends the name at the first "=". Any other key would be written
// again beside itself on every save and never read.
bool namesReadBack(const QString& section, const QString& key)
{
    return !hasOuterBlanks(section) && !hasOuterBlanks(key) && !key.contains(u'=') && !key.startsWith(u';')
        && !key.startsWith(u'[');
}

QByteArray encodedOrFail(const QString& text, IniEncoding encoding, const QString& path)
{
    std::optional<QByteArray> bytes = IniText::encode(text, encoding);
    if (!bytes)
        failWrite(path);
    return *bytes;
}

// The line ending the file already uses (its first one), CR LF for a new file.
QByteArray lineEndOf(const Contents& contents)
{
    for (const Line& line : contents.lines) {
        if (line.endLength > 0)
            return contents.bytes.mid(line.begin + line.length, line.endLength);
    }
    return newFileLineEnd;
}

void replaceFile(const QString& path, const QByteArray& bytes)
{
    if (!FileWrites::replace(path, bytes))
        failWrite(path);
}

// The file's bytes after setting `key` in `section` to `value`. Throws
// "Unable to write to <path>" for texts that cannot be written.
QByteArray withValue(const QByteArray& file, const QString& path, const QString& section, const QString& key,
                     const QString& value)
{
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value) || !namesReadBack(section, key))
        failWrite(path);

    const Contents contents = parse(file);
    const QByteArray lineEnd = lineEndOf(contents);
    const QByteArray valueBytes = encodedOrFail(value, contents.encoding, path);
    const Place place = find(contents, section, key);

    QByteArray result = contents.bytes;
    if (place.keyLine >= 0) {
        const Line& line = contents.lines[place.keyLine];
        result.replace(line.begin, line.length, place.key.name.toByteArray() + '=' + valueBytes);
    } else {
        const QByteArray keyLine = encodedOrFail(key, contents.encoding, path) + '=' + valueBytes + lineEnd;
        QByteArray insertion;
        qsizetype at = contents.bodyStart;
        const Line* after = nullptr;
        if (place.sectionFound) {
            if (place.lastNonBlank >= 0)
                after = &contents.lines[place.lastNonBlank];
            insertion = keyLine;
        } else {
            if (!contents.lines.isEmpty())
                after = &contents.lines.back();
            insertion = '[' + encodedOrFail(section, contents.encoding, path) + ']' + lineEnd + keyLine;
        }
        if (after) {
            at = after->end();
            if (after->endLength == 0) // the file's unterminated last line is ended first
                insertion.prepend(lineEnd);
        }
        result.insert(at, insertion);
    }
    return result;
}

} // namespace

namespace IniFile {

QString readString(const QString& path, const QString& section, const QString& key, const QString& defaultValue)
{
    std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return defaultValue;
    const Contents contents = parse(std::move(*bytes));
    const Place place = find(contents, section, key);
    if (place.keyLine < 0)
        return defaultValue;
    return cutToMaxLength(IniText::decode(withoutQuotes(place.key.value), contents.encoding));
}

void writeString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    Batch file(path);
    file.writeString(section, key, value);
    file.save();
}

Batch::Batch(QString path) : path_(std::move(path))
{
    const QFileInfo info(path_);
    if (!info.exists())
        return;
    std::optional<QByteArray> bytes = readFile(path_);
    if (!bytes || !info.isWritable()) // a read-only file stays as it is
        failWrite(path_);
    bytes_ = std::move(*bytes);
}

void Batch::writeString(const QString& section, const QString& key, const QString& value)
{
    bytes_ = withValue(bytes_, path_, section, key, value);
}

void Batch::save() const { replaceFile(path_, bytes_); }

} // namespace IniFile
