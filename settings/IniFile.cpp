#include "settings/IniFile.h"

#include "base/EditorError.h"
#include "base/FileReads.h"
#include "base/FileWrites.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <memory>
#include <optional>
#include <unordered_map>

namespace {

// One line of the text: its characters from `begin`, then its line ending,
// which is empty for an unterminated last line.
struct Line {
    qsizetype begin = 0;
    qsizetype length = 0;
    qsizetype endLength = 0;

    qsizetype end() const { return begin + length + endLength; }
};

// A file's text, cut into lines at CR LF, LF and lone CR.
struct Lines {
    IniContents contents;
    QList<Line> lines;

    QStringView text(const Line& line) const { return QStringView(contents.text).sliced(line.begin, line.length); }
};

// Calls `visit` with each line of `text`, in order.
template <typename Visit>
void forEachLine(const QString& text, Visit visit)
{
    qsizetype begin = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        const qsizetype endLength = (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        visit(Line{begin, i - begin, endLength});
        i += endLength;
        begin = i;
    }
    if (begin < text.size())
        visit(Line{begin, text.size() - begin, 0});
}

Lines parse(QByteArrayView bytes, Utf8Mark utf8Mark)
{
    Lines file;
    file.contents = IniText::decode(bytes, utf8Mark);
    forEachLine(file.contents.text, [&file](const Line& line) { file.lines.append(line); });
    return file;
}

// The blanks that Windows trims around names and values.
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\v'; }

QStringView trimmed(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// A section or key name asked for: Windows drops its outer spaces (spaces
// only).
QStringView withoutOuterSpaces(QStringView name)
{
    while (name.startsWith(u' '))
        name = name.sliced(1);
    while (name.endsWith(u' '))
        name.chop(1);
    return name;
}

enum class LineKind { Nothing, Section, Key }; // nothing: a blank line or a comment

struct LineMeaning {
    LineKind kind = LineKind::Nothing;
    QStringView name;
    QStringView value;
};

// What a line holds, as Windows reads it, blanks before it aside. A line
// starting with "[" opens a section whose name runs to the first "]", or to
// the line's end when there is none; what follows the "]" is ignored. A line
// starting with ";" is a comment. Any other line holds a key: its name up to
// the first "=", its value after it (none without "=").
LineMeaning meaningOf(QStringView line)
{
    const QStringView text = trimmed(line);
    if (text.isEmpty() || text.front() == u';')
        return {};
    if (text.front() == u'[') {
        QStringView name = text.sliced(1);
        if (const qsizetype close = name.indexOf(u']'); close >= 0)
            name = name.first(close);
        return {LineKind::Section, trimmed(name), {}};
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return {LineKind::Key, text, {}};
    return {LineKind::Key, trimmed(text.first(equals)), trimmed(text.sliced(equals + 1))};
}

bool sameName(QStringView fileName, QStringView name) { return fileName.compare(name, Qt::CaseInsensitive) == 0; }

// Where a key stands. Only the first section of a name counts; lines before
// the first section header belong to no section.
struct Place {
    qsizetype header = -1;  // the section's header line; -1 when the file has no such section
    qsizetype lastKey = -1; // the section's last key line, or its header when it has none
    qsizetype keyLine = -1;
    LineMeaning key;
};

Place find(const Lines& file, QStringView section, QStringView key)
{
    Place place;
    for (qsizetype i = 0; i < file.lines.size(); ++i) {
        const LineMeaning meaning = meaningOf(file.text(file.lines[i]));
        if (meaning.kind == LineKind::Section) {
            if (place.header >= 0)
                break; // the section ended here
            if (sameName(meaning.name, section))
                place.header = place.lastKey = i;
            continue;
        }
        if (place.header < 0 || meaning.kind != LineKind::Key)
            continue;
        place.lastKey = i;
        if (sameName(meaning.name, key)) {
            place.keyLine = i;
            place.key = meaning;
            return place;
        }
    }
    return place;
}

// Only a regular file is read, and only up to the size any settings file
// can need; anything else cannot be opened.
std::optional<QByteArray> readFile(const QString& path) { return FileReads::readAll(path, IniFile::kMaxFileBytes); }

QStringView withoutQuotes(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QString cutToMaxLength(QStringView value)
{
    if (value.size() <= IniFile::kMaxValueLength)
        return value.toString();
    qsizetype length = IniFile::kMaxValueLength;
    if (value[length - 1].isHighSurrogate())
        --length; // never leave half a character
    return value.left(length).toString();
}

[[noreturn]] void failWrite(const QString& path) { throw EditorError(ErrorText::unableToWrite(path)); }

bool holdsLineBreak(const QString& text) { return text.contains(u'\r') || text.contains(u'\n'); }

bool hasOuterBlanks(const QString& text) { return !text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())); }

// Whether a key line written for `key`, and a header written for `section`,
// read back as that key and that section. Reading trims names, takes a line
// starting with ";" as a comment and one starting with "[" as a header, ends
// a section's name at its first "]" and a key's at the first "=". Any other
// name would be written again beside itself on every save and never read.
bool namesReadBack(const QString& section, const QString& key)
{
    return !hasOuterBlanks(section) && !section.contains(u']') && !hasOuterBlanks(key) && !key.contains(u'=')
        && !key.startsWith(u';') && !key.startsWith(u'[');
}

// New lines end as the file's lines do when all of them end in LF, or all in
// CR; otherwise, and in a new file, in CR LF, as Windows writes them.
QString lineEndOf(const Lines& file)
{
    bool allLf = true;
    bool allCr = true;
    bool any = false;
    for (const Line& line : file.lines) {
        if (line.endLength == 0)
            continue;
        const QChar first = file.contents.text[line.begin + line.length];
        any = true;
        allLf = allLf && line.endLength == 1 && first == u'\n';
        allCr = allCr && line.endLength == 1 && first == u'\r';
    }
    if (any && allLf)
        return QStringLiteral("\n");
    if (any && allCr)
        return QStringLiteral("\r");
    return QStringLiteral("\r\n");
}

// The file's bytes after setting `key` in `section` to `value`, as Windows
// writes it. Throws "Unable to write to <path>" for texts that cannot be
// written.
QByteArray withValue(const QByteArray& bytes, const QString& path, const QString& section, const QString& key,
                     const QString& value)
{
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value) || !namesReadBack(section, key))
        failWrite(path);
    Lines file = parse(bytes, Utf8Mark::BreaksFirstLine);
    const auto fits = [&] {
        const IniEncoding encoding = file.contents.encoding;
        return IniText::canEncode(section, encoding) && IniText::canEncode(key, encoding)
            && IniText::canEncode(value, encoding);
    };
    // A Windows-1251 file takes any other text as UTF-16, as Notepad saves
    // such a file: never a text written garbled, never a refusal.
    if (!fits())
        IniText::makeUtf16Le(file.contents);
    if (!fits())
        failWrite(path); // not even UTF-16: half a character
    const QString lineEnd = lineEndOf(file);
    const Place place = find(file, section, key);

    QString& text = file.contents.text;
    if (place.keyLine >= 0) {
        // The line is written whole, in the file's spelling of the key, and
        // ended even when it was the file's unterminated last line.
        const Line& line = file.lines[place.keyLine];
        QString written = place.key.name.toString() + u'=' + value;
        if (line.endLength == 0)
            written += lineEnd;
        text.replace(line.begin, line.length, written);
    } else {
        // A new key follows the section's last key, before any comment after
        // it; a new section goes at the end of the file.
        QString insertion = key + u'=' + value + lineEnd;
        qsizetype at = text.size();
        bool endLineFirst = false;
        if (place.header >= 0) {
            const Line& after = file.lines[place.lastKey];
            at = after.end();
            endLineFirst = after.endLength == 0;
        } else {
            insertion.prepend(u'[' + section + u']' + lineEnd);
            // The unterminated last line is ended first; so is the line a
            // byte-order mark opens, even when the mark is all the file holds.
            endLineFirst = file.lines.isEmpty() ? !file.contents.mark.isEmpty() : file.lines.back().endLength == 0;
        }
        if (endLineFirst)
            insertion.prepend(lineEnd);
        text.insert(at, insertion);
    }
    return IniText::encode(file.contents);
}

void replaceFile(const QString& path, const QByteArray& bytes)
{
    if (!FileWrites::replace(path, bytes))
        failWrite(path);
}

// A section or key name of the file, matched as Windows matches names:
// without regard to case, each character folded alone.
struct CaseBlindName {
    QStringView text;

    bool operator==(const CaseBlindName& other) const
    {
        return text.size() == other.text.size() && sameName(text, other.text);
    }
};

struct CaseBlindHash {
    size_t operator()(const CaseBlindName& name) const
    {
        size_t hash = 0;
        const QStringView text = name.text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            hash = hash * 31 + (c < 0x80 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : QChar::toCaseFolded(c));
        }
        return qHash(hash); // every bit mixed in: buckets go by the low ones
    }
};

template <typename Value>
using ByName = std::unordered_map<CaseBlindName, Value, CaseBlindHash>;

} // namespace

namespace IniFile {

// The first section of each name, and in it the first value of each key,
// pointing into the file's text.
struct Snapshot::Index {
    QString text;
    ByName<ByName<QStringView>> sections;
};

Snapshot::Snapshot(const QString& path, Utf8Mark utf8Mark)
{
    const std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return;
    auto index = std::make_shared<Index>();
    index->text = IniText::decode(*bytes, utf8Mark).text;
    ByName<QStringView>* section = nullptr; // lines before the first section belong to none
    forEachLine(index->text, [&](const Line& line) {
        const LineMeaning meaning = meaningOf(QStringView(index->text).sliced(line.begin, line.length));
        if (meaning.kind == LineKind::Section) {
            const auto [place, isFirst] = index->sections.try_emplace(CaseBlindName{meaning.name});
            section = isFirst ? &place->second : nullptr;
        } else if (meaning.kind == LineKind::Key && section) {
            section->try_emplace(CaseBlindName{meaning.name}, meaning.value);
        }
    });
    index_ = std::move(index);
}

QString Snapshot::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    if (index_) {
        const auto keys = index_->sections.find(CaseBlindName{withoutOuterSpaces(section)});
        if (keys != index_->sections.end()) {
            const auto value = keys->second.find(CaseBlindName{withoutOuterSpaces(key)});
            if (value != keys->second.end())
                return cutToMaxLength(withoutQuotes(value->second));
        }
    }
    QStringView fallback = defaultValue;
    while (fallback.endsWith(u' ')) // as Windows does
        fallback.chop(1);
    return cutToMaxLength(fallback);
}

QString readString(const QString& path, const QString& section, const QString& key, const QString& defaultValue,
                   Utf8Mark utf8Mark)
{
    return Snapshot(path, utf8Mark).readString(section, key, defaultValue);
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
