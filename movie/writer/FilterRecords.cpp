// Filter lists of PlaceObject3, written as the reader expects them.
#include "movie/writer/SwfWriter.h"

#include "movie/writer/Records.h"

#include <bit>
#include <cmath>

namespace movie::writer {

namespace {

void fixed(BitWriter& w, double v) { w.u32(static_cast<quint32>(static_cast<qint32>(std::lround(v * 65536)))); }
void fixed8(BitWriter& w, double v) { w.u16(static_cast<quint32>(static_cast<qint16>(std::lround(v * 256)))); }
void floating(BitWriter& w, float v) { w.u32(std::bit_cast<quint32>(v)); }

void shape(BitWriter& w, const Filter& f)
{
    fixed(w, f.blurX);
    fixed(w, f.blurY);
    fixed(w, f.angle);
    fixed(w, f.distance);
    fixed8(w, f.strength);
}

void flags(BitWriter& w, const Filter& f, bool bevel)
{
    w.u8((f.inner ? 0x80 : 0) | (f.knockout ? 0x40 : 0) | (f.compositeSource ? 0x20 : 0)
         | (bevel ? (f.onTop ? 0x10 : 0) | (f.passes & 0x0F) : f.passes & 0x1F));
}

} // namespace

QByteArray SwfWriter::encodeFilters(const FilterList& filters)
{
    BitWriter w;
    w.u8(static_cast<quint32>(filters.size()));
    for (const Filter& f : filters) {
        w.u8(static_cast<quint32>(f.kind));
        switch (f.kind) {
        case Filter::Kind::DropShadow:
            writeColor(w, f.color, true);
            shape(w, f);
            flags(w, f, false);
            break;
        case Filter::Kind::Blur:
            fixed(w, f.blurX);
            fixed(w, f.blurY);
            w.u8(static_cast<quint32>(f.passes << 3));
            break;
        case Filter::Kind::Glow:
            writeColor(w, f.color, true);
            fixed(w, f.blurX);
            fixed(w, f.blurY);
            fixed8(w, f.strength);
            flags(w, f, false);
            break;
        case Filter::Kind::Bevel:
            writeColor(w, f.highlight, true);
            writeColor(w, f.color, true);
            shape(w, f);
            flags(w, f, true);
            break;
        case Filter::Kind::GradientGlow:
        case Filter::Kind::GradientBevel:
            w.u8(static_cast<quint32>(f.colors.size()));
            for (const QColor& c : f.colors)
                writeColor(w, c, true);
            for (double r : f.ratios)
                w.u8(static_cast<quint32>(std::lround(r * 255)));
            shape(w, f);
            flags(w, f, true);
            break;
        case Filter::Kind::Convolution:
            w.u8(static_cast<quint32>(f.columns));
            w.u8(static_cast<quint32>(f.rows));
            floating(w, f.divisor);
            floating(w, f.bias);
            for (float k : f.kernel)
                floating(w, k);
            writeColor(w, f.color, true);
            w.u8((f.clamp ? 0x02 : 0) | (f.preserveAlpha ? 0x01 : 0));
            break;
        case Filter::Kind::ColorMatrix:
            for (float m : f.matrix)
                floating(w, m);
            break;
        }
    }
    return w.data();
}

} // namespace movie::writer
