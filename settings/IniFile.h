#pragma once

#include <QString>

// The editor's reader and writer of INI files ("[Section]" lines opening
// sections, "Key=Value" lines giving values), behaving as the Windows
// private-profile services do, so the menu program reads what the editor
// writes. Every call goes to the file itself: there is no cache.
namespace IniFile {

// The longest value a read returns, in characters; longer values are cut.
constexpr qsizetype kMaxValueLength = 2047;

// The value of `key` in `section`, or `defaultValue` when the file or the key
// is missing. Section and key names match without regard to case; the first
// section of a name and the first key of a name in it count. Each line is
// taken without surrounding spaces and tabs; blank lines and lines starting
// with ";" hold no key. The value is the text after the first "=", trimmed,
// losing one pair of enclosing double or single quotes; "key=" gives "".
// CR LF, LF and lone CR end lines; a UTF-8 byte-order mark is skipped.
// Texts are decoded as UTF-8 when the whole file is valid UTF-8, otherwise
// as Windows-1251.
QString readString(const QString& path, const QString& section, const QString& key, const QString& defaultValue);

// Sets `key` in `section` to `value`: an existing key's line becomes
// "Key=Value" (spelled as the file spells the key); a new key goes right
// after the last non-blank line of its section; a new section goes at the end
// of the file; a missing file is created. Every other byte stays as it was,
// new lines take the file's own line ending (CR LF in a new file), and texts
// are written in the file's encoding (UTF-8 in a new file).
//
// The file is replaced at once through a new file in the same folder, so it
// is never left half-written (see FileWrites). A line break in any of the
// texts, or "=" in the key, would change other lines of the file, and a key
// or section with leading or trailing blanks, or a key starting with ";" or
// "[", would not read back, so such writes are refused. Throws EditorError
// "Unable to write to <path>" on any failure.
void writeString(const QString& path, const QString& section, const QString& key, const QString& value);

// Several keys written to one file as one replacement: each writeString()
// applies the rules above to the file's bytes in memory, in turn, so the
// bytes that land are those that writing the keys one by one would give;
// save() then replaces the file once. Nothing reaches the file before
// save(), and a failure anywhere leaves it as it was.
class Batch {
public:
    // Takes the file as it is now. Throws "Unable to write to <path>" when it
    // exists but cannot be read or written.
    explicit Batch(QString path);

    // Throws "Unable to write to <path>" for texts the file cannot take.
    void writeString(const QString& section, const QString& key, const QString& value);
    // Throws "Unable to write to <path>" when the file cannot be replaced.
    void save() const;

private:
    QString path_;
    QByteArray bytes_;
};

} // namespace IniFile
