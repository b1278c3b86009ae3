#pragma once

#include "settings/IniEncoding.h"

#include <QByteArray>
#include <QString>
#include <memory>

// The editor's reader and writer of INI files ("[Section]" lines opening
// sections, "Key=Value" lines giving values), behaving as the Windows
// private-profile services do, so that the editor sees what the menu program
// sees and the menu reads what the editor writes. Every function goes to the
// file itself; a Snapshot keeps a file as it was read, for reading many of
// its keys. Encodings: see IniEncoding.
//
// Only a regular file of at most kMaxFileBytes is read (see FileReads). Any
// other file reads as one that cannot be opened: every key yields its
// default, as Windows gives for a file it cannot open, and a write to it is
// refused.
namespace IniFile {

// The longest value a read returns, in characters; longer values are cut.
constexpr qsizetype kMaxValueLength = 2047;

// The largest file read: several hundred times a full skin file, and read
// and parsed, however it is made, in a small part of a second.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

// The value of `key` in `section`, or `defaultValue` (less its trailing
// spaces) when the file, the section or the key is missing. Names match
// without regard to case, the names asked for without their outer spaces;
// the first section of a name, and the first key of a name in it, count.
// Lines end at CR LF, LF or a lone CR and are read without the blanks
// (space, tab, vertical tab) around them. A line starting with "[" opens a
// section named by the text up to the first "]" (or the line's end),
// trimmed; a line starting with ";" is a comment; lines before the first
// section belong to none. A key's value is the text after the first "=",
// trimmed, losing one pair of enclosing double or single quotes.
QString readString(const QString& path, const QString& section, const QString& key, const QString& defaultValue,
                   Utf8Mark utf8Mark = Utf8Mark::BreaksFirstLine);

// A file read and parsed once, for reading many of its keys: each
// readString() answers as the function above would have at the moment the
// file was read.
class Snapshot {
public:
    explicit Snapshot(const QString& path, Utf8Mark utf8Mark = Utf8Mark::BreaksFirstLine);

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;

private:
    struct Index;
    std::shared_ptr<const Index> index_; // none for a file that cannot be read
};

// Sets `key` in `section` to `value`: an existing key's line is written
// again as "Key=Value" (spelled as the file spells the key); a new key goes
// right after the section's last key line, before comments that follow it;
// a new section goes at the end of the file; a missing file is created.
// Every other line stays as it was. New lines end as all the file's lines
// do when they all end in LF, or all in CR, otherwise in CR LF; texts are
// written in the file's encoding (UTF-8 in a new file), a UTF-16 file
// keeping its mark.
//
// The file is replaced at once through a new file in the same folder, so it
// is never left half-written (see FileWrites). A line break in any of the
// texts, or "=" in the key, would change other lines of the file, and a key
// or section with leading or trailing blanks, a key starting with ";" or
// "[", or a section holding "]", would not read back, so such writes are
// refused. Throws EditorError "Unable to write to <path>" on any failure.
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
