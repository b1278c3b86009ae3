#include "settings/IniEncoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>

namespace {

// Windows-1251 bytes 0x80..0xFF. The one byte the code page leaves undefined
// (0x98) maps to U+0098, as Windows does, so every byte reads and writes back.
constexpr std::array<char16_t, 128> upperHalf1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

const QByteArray kUtf16LeMark("\xFF\xFE");
const QByteArray kUtf8Mark("\xEF\xBB\xBF");

QString decode1251(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte < 0x80 ? QChar(byte) : QChar(upperHalf1251[byte - 0x80]);
    }
    return text;
}

// The byte of a character in Windows-1251, or -1.
int byte1251(QChar c)
{
    if (c.unicode() < 0x80)
        return c.unicode();
    for (std::size_t index = 0; index < upperHalf1251.size(); ++index) {
        if (upperHalf1251[index] == c.unicode())
            return int(0x80 + index);
    }
    return -1;
}

QString decodeUtf16Le(QByteArrayView bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = QChar(char16_t(low | high << 8));
    }
    return text;
}

// UTF-8 as it stands: a mark at the start stays in the text (U+FEFF). Empty
// when the bytes are not valid UTF-8.
std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

} // namespace

namespace IniText {

IniContents decode(QByteArrayView file, Utf8Mark utf8Mark)
{
    IniContents contents;
    if (file.startsWith(kUtf16LeMark)) {
        contents.encoding = IniEncoding::Utf16LE;
        contents.mark = kUtf16LeMark;
        QByteArrayView body = file.sliced(kUtf16LeMark.size());
        if (body.size() % 2 != 0) {
            contents.tail = body.last(1).toByteArray();
            body.chop(1);
        }
        contents.text = decodeUtf16Le(body);
        return contents;
    }
    if (utf8Mark == Utf8Mark::MeansUtf8 && file.startsWith(kUtf8Mark)) {
        contents.mark = kUtf8Mark;
        contents.text = QString::fromUtf8(file.sliced(kUtf8Mark.size()));
        return contents;
    }
    if (std::optional<QString> text = decodeUtf8(file)) {
        contents.text = std::move(*text);
        return contents;
    }
    contents.encoding = IniEncoding::Windows1251;
    contents.text = decode1251(file);
    return contents;
}

bool canEncode(QStringView text, IniEncoding encoding)
{
    if (encoding != IniEncoding::Windows1251)
        return text.isValidUtf16();
    return std::all_of(text.begin(), text.end(), [](QChar c) { return byte1251(c) >= 0; });
}

QByteArray encode(const IniContents& contents)
{
    QByteArray bytes = contents.mark;
    switch (contents.encoding) {
    case IniEncoding::Utf8:
        bytes += contents.text.toUtf8();
        break;
    case IniEncoding::Windows1251:
        for (const QChar c : contents.text)
            bytes += char(byte1251(c));
        break;
    case IniEncoding::Utf16LE:
        for (const QChar c : contents.text) {
            bytes += char(c.unicode() & 0xFF);
            bytes += char(c.unicode() >> 8);
        }
        break;
    }
    return bytes + contents.tail;
}

void makeUtf16Le(IniContents& contents)
{
    if (contents.encoding == IniEncoding::Utf16LE)
        return;
    contents.encoding = IniEncoding::Utf16LE;
    contents.mark = kUtf16LeMark; // a UTF-8 mark read as text stays text
    contents.tail.clear();
}

} // namespace IniText
