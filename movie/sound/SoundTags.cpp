#include "movie/sound/SoundTags.h"

#include "movie/format/SwfReader.h"
#include "movie/format/TagCodes.h"
#include "movie/format/Timeline.h"

namespace movie {

namespace {

SoundInfo readSoundInfo(SwfReader& r)
{
    SoundInfo info;
    const quint8 flags = r.u8();
    info.stop = flags & 0x20;
    info.noMultiple = flags & 0x10;
    if (flags & 0x01)
        info.inPoint = r.u32();
    if (flags & 0x02)
        info.outPoint = r.u32();
    if (flags & 0x04)
        info.loops = r.u16();
    if (flags & 0x08) {
        const int points = r.u8();
        for (int i = 0; i < points && !r.overrun(); ++i) {
            SoundEnvelopePoint p;
            p.position44 = r.u32();
            p.left = float(r.u16()) / 32768.0f;
            p.right = float(r.u16()) / 32768.0f;
            if (!r.overrun())
                info.envelope.push_back(p);
        }
    }
    return info;
}

QString codecName(int codec)
{
    switch (codec) {
    case SoundFormat::Nellymoser16k:
    case SoundFormat::Nellymoser8k:
    case SoundFormat::Nellymoser:
        return QStringLiteral("Nellymoser");
    case SoundFormat::Speex:
        return QStringLiteral("Speex");
    default:
        return QStringLiteral("codec %1").arg(codec);
    }
}

// The format byte of DefineSound and of the stream heads.
SoundFormat soundFormatFromByte(quint8 bits)
{
    static constexpr double kRates[] = {44100.0 / 8, 11025, 22050, 44100};
    SoundFormat f;
    f.codec = bits >> 4;
    f.rate = kRates[(bits >> 2) & 3];
    f.sixteenBit = bits & 0x02;
    f.stereo = bits & 0x01;
    return f;
}

} // namespace

bool SoundCatalog::readDefinition(int code, SwfReader body, QStringList& warnings)
{
    switch (code) {
    case tag::DefineSound: {
        const quint16 id = body.u16();
        auto sound = std::make_shared<SoundDef>();
        sound->format = soundFormatFromByte(body.u8());
        sound->sampleCount = body.u32();
        if (sound->format.codec == SoundFormat::Mp3)
            sound->seekSamples = body.s16();
        sound->data = body.rest();
        if (body.overrun() || sounds_.count(id))
            return true;
        if (!sound->format.isPlayable()) {
            warnings << QStringLiteral("sound %1 is not played: %2 is not supported")
                            .arg(id)
                            .arg(codecName(sound->format.codec));
            return true;
        }
        sounds_.emplace(id, std::move(sound));
        return true;
    }
    case tag::DefineButtonSound: {
        const quint16 id = body.u16();
        ButtonSounds sounds;
        for (SoundStart* s :
             {&sounds.overUpToIdle, &sounds.idleToOverUp, &sounds.overUpToOverDown, &sounds.overDownToOverUp}) {
            s->soundId = body.u16();
            if (s->soundId != 0)
                s->info = readSoundInfo(body);
        }
        if (!body.overrun())
            buttons_.emplace(id, std::move(sounds));
        return true;
    }
    case tag::ExportAssets:
    case tag::SymbolClass: {
        const int count = body.u16();
        for (int i = 0; i < count && !body.overrun(); ++i) {
            const quint16 id = body.u16();
            const QByteArray name = body.string();
            if (!body.overrun())
                names_.emplace(name, id);
        }
        return true;
    }
    default:
        return false;
    }
}

const SoundDef* SoundCatalog::sound(quint16 id) const
{
    const auto it = sounds_.find(id);
    return it == sounds_.end() ? nullptr : it->second.get();
}

quint16 SoundCatalog::soundNamed(const QByteArray& className) const
{
    const auto it = names_.find(className);
    return it == names_.end() ? 0 : it->second;
}

const ButtonSounds* SoundCatalog::buttonSounds(quint16 buttonId) const
{
    const auto it = buttons_.find(buttonId);
    return it == buttons_.end() ? nullptr : &it->second;
}

bool readSoundControlTag(int code, SwfReader body, Timeline& timeline, Frame& frame, SoundCatalog& catalog)
{
    switch (code) {
    case tag::StartSound:
    case tag::StartSound2: {
        SoundStart start;
        if (code == tag::StartSound)
            start.soundId = body.u16();
        else
            start.className = body.string();
        start.info = readSoundInfo(body);
        if (body.overrun())
            return false;
        frame.sounds.push_back(std::move(start));
        return true;
    }
    case tag::SoundStreamHead:
    case tag::SoundStreamHead2: {
        body.u8(); // the player's preferred format: the stream's own counts
        SoundStreamHead head;
        head.format = soundFormatFromByte(body.u8());
        head.samplesPerBlock = body.u16();
        // An MP3 stream's latency seek follows; the blocks carry their own.
        if (!body.overrun() && !timeline.stream) {
            timeline.stream = head;
            catalog.noteStream();
        }
        return false;
    }
    case tag::SoundStreamBlock: {
        if (!timeline.stream)
            return false; // a block without a head has no format
        // An MP3 block starts with its sample count and seek samples.
        if (timeline.stream->format.codec == SoundFormat::Mp3)
            body.skip(4);
        frame.streamBlock = body.rest();
        return !frame.streamBlock.isEmpty();
    }
    default:
        return false;
    }
}

} // namespace movie
