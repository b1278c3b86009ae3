#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace movie {

// Reads the little-endian bytes and big-endian bit fields of a movie. Every
// read is bounded by the buffer: reading past its end yields zeros and sets
// overrun(), so a damaged record can be detected and dropped without ever
// touching memory outside the buffer.
class SwfReader {
public:
    SwfReader() = default;
    SwfReader(const char* data, qsizetype size) : data_(reinterpret_cast<const uchar*>(data)), size_(size) {}
    explicit SwfReader(const QByteArray& bytes) : SwfReader(bytes.constData(), bytes.size()) {}

    qsizetype pos() const { return pos_; }
    qsizetype size() const { return size_; }
    qsizetype remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }
    bool overrun() const { return overrun_; }

    quint8 u8();
    quint16 u16();
    qint16 s16() { return static_cast<qint16>(u16()); }
    quint32 u32();
    void skip(qsizetype n);
    // A null-terminated string, bounded by the buffer.
    QByteArray string();
    // A copy of the next n bytes (fewer if the buffer ends first).
    QByteArray bytes(qsizetype n);
    // A copy of all that is left; the reader is then at its end.
    QByteArray rest() { return bytes(remaining()); }
    // A reader over the next n bytes (fewer if the buffer ends first).
    SwfReader sub(qsizetype n);

    // Bit fields: most significant bit first, at most 32 bits.
    void align() { bitCount_ = 0; }
    quint32 ub(int n);
    qint32 sb(int n);
    double fb(int n) { return sb(n) / 65536.0; }

private:
    // Aligns to a byte, then takes up to n bytes from the current place: fewer
    // at the end of the data, which marks an overrun. Returns where they start.
    const char* claim(qsizetype& n);

    const uchar* data_ = nullptr;
    qsizetype size_ = 0;
    qsizetype pos_ = 0;
    quint32 bitBuffer_ = 0;
    int bitCount_ = 0;
    bool overrun_ = false;
};

} // namespace movie
