#include "movie/format/SwfReader.h"

namespace movie {

quint8 SwfReader::u8()
{
    align();
    if (pos_ >= size_) {
        overrun_ = true;
        return 0;
    }
    return data_[pos_++];
}

quint16 SwfReader::u16()
{
    const quint16 lo = u8();
    const quint16 hi = u8();
    return static_cast<quint16>(lo | (hi << 8));
}

quint32 SwfReader::u32()
{
    const quint32 lo = u16();
    const quint32 hi = u16();
    return lo | (hi << 16);
}

void SwfReader::skip(qsizetype n)
{
    align();
    if (n < 0 || n > remaining()) {
        overrun_ = true;
        pos_ = size_;
        return;
    }
    pos_ += n;
}

QByteArray SwfReader::string()
{
    align();
    const qsizetype start = pos_;
    while (pos_ < size_ && data_[pos_] != 0)
        ++pos_;
    QByteArray text(reinterpret_cast<const char*>(data_ + start), pos_ - start);
    if (pos_ < size_)
        ++pos_; // the terminator
    else
        overrun_ = true;
    return text;
}

const char* SwfReader::claim(qsizetype& n)
{
    align();
    if (n < 0)
        n = 0;
    if (n > remaining()) {
        n = remaining();
        overrun_ = true;
    }
    const auto* start = reinterpret_cast<const char*>(data_ + pos_);
    pos_ += n;
    return start;
}

QByteArray SwfReader::bytes(qsizetype n)
{
    const char* start = claim(n);
    return QByteArray(start, n);
}

SwfReader SwfReader::sub(qsizetype n)
{
    const char* start = claim(n);
    return SwfReader(start, n);
}

quint32 SwfReader::ub(int n)
{
    quint32 value = 0;
    for (int i = 0; i < n && i < 32; ++i) {
        if (bitCount_ == 0) {
            if (pos_ >= size_) {
                overrun_ = true;
                return 0;
            }
            bitBuffer_ = data_[pos_++];
            bitCount_ = 8;
        }
        --bitCount_;
        value = (value << 1) | ((bitBuffer_ >> bitCount_) & 1u);
    }
    return value;
}

qint32 SwfReader::sb(int n)
{
    if (n <= 0)
        return 0;
    if (n > 32)
        n = 32;
    const quint32 raw = ub(n);
    if (n == 32)
        return static_cast<qint32>(raw);
    const quint32 sign = 1u << (n - 1);
    return static_cast<qint32>((raw ^ sign) - sign);
}

} // namespace movie
