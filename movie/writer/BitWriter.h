#pragma once

#include <QByteArray>
#include <initializer_list>

namespace movie::writer {

// Writes little-endian bytes and big-endian bit fields, the counterpart of
// SwfReader.
class BitWriter {
public:
    void u8(quint32 v);
    void u16(quint32 v);
    void u32(quint32 v);
    void bytes(const QByteArray& b);
    void string(const QByteArray& s); // null-terminated

    void ub(quint32 value, int bits);
    void sb(qint32 value, int bits) { ub(static_cast<quint32>(value), bits); }
    void align();

    // Bits a signed field needs for each of the values.
    static int signedBits(std::initializer_list<qint32> values);
    static int unsignedBits(quint32 value);

    const QByteArray& data()
    {
        align();
        return data_;
    }

private:
    QByteArray data_;
    quint32 pending_ = 0;
    int pendingBits_ = 0;
};

} // namespace movie::writer
