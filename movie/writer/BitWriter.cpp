#include "movie/writer/BitWriter.h"

#include <algorithm>

namespace movie::writer {

void BitWriter::u8(quint32 v)
{
    align();
    data_.append(static_cast<char>(v & 0xFF));
}

void BitWriter::u16(quint32 v)
{
    u8(v);
    u8(v >> 8);
}

void BitWriter::u32(quint32 v)
{
    u16(v);
    u16(v >> 16);
}

void BitWriter::bytes(const QByteArray& b)
{
    align();
    data_.append(b);
}

void BitWriter::string(const QByteArray& s)
{
    bytes(s);
    u8(0);
}

void BitWriter::ub(quint32 value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        pending_ = (pending_ << 1) | ((value >> i) & 1u);
        if (++pendingBits_ == 8) {
            data_.append(static_cast<char>(pending_));
            pending_ = 0;
            pendingBits_ = 0;
        }
    }
}

void BitWriter::align()
{
    if (pendingBits_ > 0)
        ub(0, 8 - pendingBits_);
}

int BitWriter::unsignedBits(quint32 value)
{
    int bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

int BitWriter::signedBits(std::initializer_list<qint32> values)
{
    int bits = 0;
    for (qint32 v : values) {
        const quint32 magnitude = v < 0 ? static_cast<quint32>(~v) : static_cast<quint32>(v);
        bits = std::max(bits, unsignedBits(magnitude) + 1);
    }
    return bits;
}

} // namespace movie::writer
