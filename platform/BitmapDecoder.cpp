// Windows bitmap files (.bmp) decoded by the editor itself, so that every
// size and offset a file claims is checked before memory is taken or read.
// Handles the OS/2 core header and the Windows 3 to 5 info headers; 1, 4 and
// 8 bits with a palette, 16 and 32 bits with or without colour masks, 24 bits;
// uncompressed and RLE8/RLE4 data; rows stored bottom-up or top-down.

#include "platform/PictureDecoder.h"

#include "base/EditorError.h"
#include "base/FileReads.h"

#include <QFile>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>

namespace {

[[noreturn]] void notValid() { throw EditorError(QStringLiteral("Bitmap image is not valid")); }

constexpr qint64 kFileHeaderSize = 14;
constexpr qint64 kInfoHeaderSize = 40;
constexpr qint64 kLargestHeaderSize = 124; // BITMAPV5HEADER
constexpr qint64 kHeadBytes = kFileHeaderSize + kLargestHeaderSize + 16 + 256 * 4;

// Little-endian fields of a byte buffer; reading past its end means the file
// is shorter than its own headers say.
class FieldReader {
public:
    explicit FieldReader(const QByteArray& bytes) : bytes_(bytes) {}

    quint32 u8(qint64 at) const { return *need(at, 1); }
    quint32 u16(qint64 at) const
    {
        const uchar* p = need(at, 2);
        return quint32(p[0]) | quint32(p[1]) << 8;
    }
    quint32 u32(qint64 at) const
    {
        const uchar* p = need(at, 4);
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }
    qint32 i32(qint64 at) const { return std::bit_cast<qint32>(u32(at)); }

private:
    const uchar* need(qint64 at, qint64 count) const
    {
        if (at < 0 || count > bytes_.size() - at)
            notValid();
        return reinterpret_cast<const uchar*>(bytes_.constData()) + at;
    }

    const QByteArray& bytes_;
};

// One colour channel of a 16- or 32-bit pixel, scaled to 0..255.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint64 top = 0; // the largest value the channel holds after shifting

    static Channel fromMask(quint32 mask)
    {
        Channel c;
        c.mask = mask;
        if (mask != 0) {
            c.shift = std::countr_zero(mask);
            c.top = mask >> c.shift;
        }
        return c;
    }
    int value(quint32 pixel) const { return top == 0 ? 0 : int(((pixel & mask) >> shift) * 255 / top); }
};

enum class Compression { None, Rle8, Rle4, Masks };

// What the headers of a valid bitmap file say.
struct BitmapLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    Compression compression = Compression::None;
    std::array<QRgb, 256> palette{}; // entries the file lacks stay black
    Channel red, green, blue;
    qint64 stride = 0; // bytes per stored row, padded to 4
    qint64 pixelOffset = 0;
    qint64 pixelBytes = 0; // how much of the file to read from pixelOffset
};

bool isOneOf(int value, std::initializer_list<int> allowed)
{
    for (int a : allowed)
        if (value == a)
            return true;
    return false;
}

BitmapLayout readLayout(const QByteArray& head, qint64 fileSize)
{
    const FieldReader f(head);
    if (f.u8(0) != 'B' || f.u8(1) != 'M')
        notValid();

    BitmapLayout layout;
    for (QRgb& entry : layout.palette)
        entry = qRgb(0, 0, 0);

    const qint64 pixelOffset = f.u32(10);
    const qint64 headerSize = f.u32(kFileHeaderSize);
    const qint64 h = kFileHeaderSize; // start of the info header
    qint64 height = 0;
    qint64 paletteCount = 0;
    qint64 paletteEntrySize = 4;
    qint64 paletteAt = h + headerSize;

    if (headerSize == 12) { // BITMAPCOREHEADER
        layout.width = int(f.u16(h + 4));
        height = f.u16(h + 6);
        layout.bitCount = int(f.u16(h + 10));
        if (!isOneOf(layout.bitCount, {1, 4, 8, 24}))
            notValid();
        paletteEntrySize = 3;
        if (layout.bitCount <= 8)
            paletteCount = qint64(1) << layout.bitCount;
    } else if (isOneOf(int(headerSize), {40, 52, 56, 108, 124})) { // BITMAPINFOHEADER to V5
        layout.width = f.i32(h + 4);
        height = f.i32(h + 8);
        layout.bitCount = int(f.u16(h + 14));
        const quint32 compression = f.u32(h + 16);
        const qint64 coloursUsed = f.u32(h + 32);
        if (height < 0) {
            layout.topDown = true;
            height = -height;
        }
        switch (compression) {
        case 0: // BI_RGB
            if (!isOneOf(layout.bitCount, {1, 4, 8, 16, 24, 32}))
                notValid();
            break;
        case 1: // BI_RLE8
            if (layout.bitCount != 8 || layout.topDown)
                notValid();
            layout.compression = Compression::Rle8;
            break;
        case 2: // BI_RLE4
            if (layout.bitCount != 4 || layout.topDown)
                notValid();
            layout.compression = Compression::Rle4;
            break;
        case 3:   // BI_BITFIELDS
        case 6: { // BI_ALPHABITFIELDS; the alpha mask is not used
            if (!isOneOf(layout.bitCount, {16, 32}))
                notValid();
            layout.compression = Compression::Masks;
            // The info header is followed by the masks; later headers hold them.
            const qint64 masksAt = h + kInfoHeaderSize;
            layout.red = Channel::fromMask(f.u32(masksAt));
            layout.green = Channel::fromMask(f.u32(masksAt + 4));
            layout.blue = Channel::fromMask(f.u32(masksAt + 8));
            if (headerSize == kInfoHeaderSize)
                paletteAt += compression == 6 ? 16 : 12;
            break;
        }
        default: // embedded JPEG or PNG, OS/2 Huffman and anything unknown
            notValid();
        }
        if (layout.bitCount <= 8) {
            const qint64 full = qint64(1) << layout.bitCount;
            paletteCount = coloursUsed == 0 ? full : std::min(coloursUsed, full);
        }
    } else {
        notValid();
    }

    if (layout.compression == Compression::None && layout.bitCount == 16) {
        layout.red = Channel::fromMask(0x7C00);
        layout.green = Channel::fromMask(0x03E0);
        layout.blue = Channel::fromMask(0x001F);
    } else if (layout.compression == Compression::None && layout.bitCount == 32) {
        layout.red = Channel::fromMask(0x00FF0000);
        layout.green = Channel::fromMask(0x0000FF00);
        layout.blue = Channel::fromMask(0x000000FF);
    }

    // Sizes before anything is allocated.
    if (layout.width <= 0 || height <= 0 || layout.width > kMaxPictureSide || height > kMaxPictureSide
        || qint64(layout.width) * height > kMaxPicturePixels)
        notValid();
    layout.height = int(height);

    if (pixelOffset < h + headerSize || pixelOffset >= fileSize)
        notValid();
    // Some writers store fewer palette entries than the bit count allows
    // without saying so; the pixels start where the file says they do.
    paletteCount = std::min(paletteCount, std::max<qint64>(0, (pixelOffset - paletteAt) / paletteEntrySize));
    for (qint64 i = 0; i < paletteCount; ++i) {
        const qint64 at = paletteAt + i * paletteEntrySize;
        layout.palette[size_t(i)] = qRgb(int(f.u8(at + 2)), int(f.u8(at + 1)), int(f.u8(at)));
    }

    layout.pixelOffset = pixelOffset;
    layout.stride = (qint64(layout.width) * layout.bitCount + 31) / 32 * 4;
    const qint64 available = fileSize - pixelOffset;

    if (layout.compression == Compression::Rle8 || layout.compression == Compression::Rle4) {
        // A run codes at least one pixel in two bytes, plus an end of line per row;
        // anything beyond that generous bound cannot belong to the picture.
        const qint64 bound = 2 * qint64(layout.width) * layout.height + 4 * qint64(layout.height) + 4096;
        layout.pixelBytes = std::min(available, bound);
    } else {
        // The last row may come without its padding.
        const qint64 lastRow = (qint64(layout.width) * layout.bitCount + 7) / 8;
        if (layout.stride * (layout.height - 1) + lastRow > available)
            notValid();
        layout.pixelBytes = std::min(available, layout.stride * layout.height);
    }
    return layout;
}

void decodeRows(const BitmapLayout& layout, const QByteArray& data, QImage& image)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    for (int row = 0; row < layout.height; ++row) {
        const uchar* src = bytes + qint64(row) * layout.stride;
        const int y = layout.topDown ? row : layout.height - 1 - row;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < layout.width; ++x) {
            switch (layout.bitCount) {
            case 1:
                dst[x] = layout.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                dst[x] = layout.palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                break;
            case 8:
                dst[x] = layout.palette[src[x]];
                break;
            case 24:
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            case 16: {
                const quint32 v = quint32(src[2 * x]) | quint32(src[2 * x + 1]) << 8;
                dst[x] = qRgb(layout.red.value(v), layout.green.value(v), layout.blue.value(v));
                break;
            }
            default: { // 32
                const uchar* p = src + 4 * qint64(x);
                const quint32 v = quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
                dst[x] = qRgb(layout.red.value(v), layout.green.value(v), layout.blue.value(v));
                break;
            }
            }
        }
    }
}

// Run-length data: pixels the runs skip keep the first palette colour. Data
// that ends before its end-of-picture mark is not a valid bitmap.
void decodeRuns(const BitmapLayout& layout, const QByteArray& data, QImage& image)
{
    const bool fourBit = layout.compression == Compression::Rle4;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    qint64 pos = 0;
    auto next = [&]() -> quint32 {
        if (pos >= size)
            notValid();
        return bytes[pos++];
    };

    image.fill(layout.palette[0]);
    qint64 x = 0;
    qint64 y = 0; // counted from the bottom row
    auto put = [&](quint32 index) {
        if (x < layout.width && y < layout.height)
            reinterpret_cast<QRgb*>(image.scanLine(int(layout.height - 1 - y)))[x] = layout.palette[index];
        ++x;
    };

    while (y < layout.height) {
        const quint32 count = next();
        const quint32 value = next();
        if (count > 0) { // a run of one index, or of two alternating nibbles
            for (quint32 i = 0; i < count && x < layout.width; ++i)
                put(fourBit ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of picture
            return;
        case 2: { // move right and up
            const quint32 dx = next();
            const quint32 dy = next();
            x += dx;
            y += dy;
            break;
        }
        default: { // indices stored as they are, padded to a whole word
            const quint32 byteCount = fourBit ? (value + 1) / 2 : value;
            for (quint32 i = 0; i < byteCount; ++i) {
                const quint32 b = next();
                if (fourBit) {
                    put(b >> 4);
                    if (2 * i + 1 < value)
                        put(b & 15);
                } else {
                    put(b);
                }
            }
            if (byteCount & 1)
                next();
            break;
        }
        }
    }
}

} // namespace

QImage loadBitmapFile(const QString& path)
{
    QFile file(path);
    if (!FileReads::open(file))
        throw EditorError(ErrorText::cannotOpenFile(path));
    const qint64 fileSize = file.size();

    const BitmapLayout layout = readLayout(file.read(kHeadBytes), fileSize);
    if (!file.seek(layout.pixelOffset))
        notValid();
    const QByteArray data = file.read(layout.pixelBytes);
    if (data.size() != layout.pixelBytes)
        notValid();

    QImage image(layout.width, layout.height, QImage::Format_RGB32);
    if (image.isNull())
        notValid();
    if (layout.compression == Compression::Rle8 || layout.compression == Compression::Rle4)
        decodeRuns(layout, data, image);
    else
        decodeRows(layout, data, image);
    return image;
}
