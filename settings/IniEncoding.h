#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How a settings file's bytes stand for text, as the Windows profile
// services read them. A file that starts with the UTF-16 little-endian mark
// (FF FE, Notepad's "Unicode") is UTF-16 LE text after that mark. Every
// other file is 8-bit text, and a mark of another kind (UTF-8's, UTF-16
// big-endian's) is no more than its first bytes. 8-bit files written by this
// editor are UTF-8; language files made on Windows are in its Russian code
// page, Windows-1251. An 8-bit file is taken as UTF-8 when all of it is
// valid UTF-8 (plain ASCII is), otherwise as Windows-1251; ASCII reads the
// same either way.
enum class IniEncoding { Utf8, Windows1251, Utf16LE };

// What a UTF-8 mark (EF BB BF) at the start of a file means.
enum class Utf8Mark {
    // As for Windows: its bytes begin the first line, which then opens no
    // section.
    BreaksFirstLine,
    // The file is UTF-8 and the mark no part of its text: the editor's own
    // reading of its language files, which only it reads.
    MeansUtf8,
};

// A file's text, and what it takes to write it back byte for byte.
struct IniContents {
    IniEncoding encoding = IniEncoding::Utf8;
    QByteArray mark; // a byte-order mark that is no part of the text
    QString text;
    QByteArray tail; // the odd last byte of a UTF-16 file
};

namespace IniText {

IniContents decode(QByteArrayView file, Utf8Mark utf8Mark);

// Whether a file of this encoding can hold `text`: Windows-1251 holds
// Cyrillic and Latin letters only, so a text is never written garbled.
bool canEncode(QStringView text, IniEncoding encoding);

// The file's bytes. Text decoded from a file, and text that canEncode()
// accepted, come back exactly.
QByteArray encode(const IniContents& contents);

// Makes the contents a UTF-16 LE file with its mark, which Windows reads as
// such, the text unchanged: for a text its own encoding cannot hold.
void makeUtf16Le(IniContents& contents);

} // namespace IniText
