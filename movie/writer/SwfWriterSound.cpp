#include "movie/format/TagCodes.h"
#include "movie/writer/SwfWriter.h"

#include <algorithm>
#include <cmath>

namespace movie::writer {

namespace {

quint8 formatByte(const SoundFormat& f)
{
    const int rate = f.rate < 8000 ? 0 : f.rate < 16000 ? 1 : f.rate < 32000 ? 2 : 3;
    return quint8((f.codec << 4) | (rate << 2) | (f.sixteenBit ? 2 : 0) | (f.stereo ? 1 : 0));
}

void writeSoundInfo(BitWriter& w, const SoundInfo& info)
{
    w.u8((info.stop ? 0x20 : 0) | (info.noMultiple ? 0x10 : 0) | (info.envelope.empty() ? 0 : 0x08)
         | (info.loops != 1 ? 0x04 : 0) | (info.outPoint ? 0x02 : 0) | (info.inPoint ? 0x01 : 0));
    if (info.inPoint)
        w.u32(*info.inPoint);
    if (info.outPoint)
        w.u32(*info.outPoint);
    if (info.loops != 1)
        w.u16(quint32(info.loops));
    if (!info.envelope.empty()) {
        w.u8(quint32(info.envelope.size()));
        auto level = [](float v) { return quint32(std::clamp(std::lround(v * 32768.0f), 0L, 65535L)); };
        for (const SoundEnvelopePoint& p : info.envelope) {
            w.u32(p.position44);
            w.u16(level(p.left));
            w.u16(level(p.right));
        }
    }
}

} // namespace

void SwfWriter::defineSound(quint16 id, const SoundFormat& format, quint32 sampleCount, const QByteArray& data,
                            qint16 seekSamples)
{
    BitWriter w;
    w.u16(id);
    w.u8(formatByte(format));
    w.u32(sampleCount);
    if (format.codec == SoundFormat::Mp3)
        w.u16(quint16(seekSamples));
    w.bytes(data);
    writeTag(tag::DefineSound, w.data());
}

void SwfWriter::startSound(quint16 id, const SoundInfo& info)
{
    BitWriter w;
    w.u16(id);
    writeSoundInfo(w, info);
    writeTag(tag::StartSound, w.data());
}

void SwfWriter::startSound2(const QByteArray& className, const SoundInfo& info)
{
    BitWriter w;
    w.string(className);
    writeSoundInfo(w, info);
    writeTag(tag::StartSound2, w.data());
}

namespace {

// The body of SymbolClass and ExportAssets with one symbol and its name.
QByteArray namedSymbol(quint16 id, const QByteArray& name)
{
    BitWriter w;
    w.u16(1);
    w.u16(id);
    w.string(name);
    return w.data();
}

} // namespace

void SwfWriter::symbolClass(quint16 id, const QByteArray& className)
{
    writeTag(tag::SymbolClass, namedSymbol(id, className));
}

void SwfWriter::exportAssets(quint16 id, const QByteArray& name) { writeTag(tag::ExportAssets, namedSymbol(id, name)); }

void SwfWriter::soundStreamHead(const SoundStreamHead& head, int headVersion)
{
    BitWriter w;
    w.u8(formatByte(head.format) & 0x0F); // playback: the stream's own rate and size
    w.u8(formatByte(head.format));
    w.u16(quint32(head.samplesPerBlock));
    if (head.format.codec == SoundFormat::Mp3)
        w.u16(0); // latency seek
    writeTag(headVersion == 1 ? tag::SoundStreamHead : tag::SoundStreamHead2, w.data());
}

void SwfWriter::soundStreamBlock(const QByteArray& data) { writeTag(tag::SoundStreamBlock, data); }

void SwfWriter::mp3StreamBlock(quint16 samples, const QByteArray& frames)
{
    BitWriter w;
    w.u16(samples);
    w.u16(0); // seek samples
    w.bytes(frames);
    writeTag(tag::SoundStreamBlock, w.data());
}

void SwfWriter::defineButtonSound(quint16 buttonId, const ButtonSounds& sounds)
{
    BitWriter w;
    w.u16(buttonId);
    for (const SoundStart* s :
         {&sounds.overUpToIdle, &sounds.idleToOverUp, &sounds.overUpToOverDown, &sounds.overDownToOverUp}) {
        w.u16(s->soundId);
        if (s->soundId != 0)
            writeSoundInfo(w, s->info);
    }
    writeTag(tag::DefineButtonSound, w.data());
}

} // namespace movie::writer
