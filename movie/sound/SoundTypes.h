#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace movie {

// How the samples of a sound or a stream are stored: the format byte of
// DefineSound and of the stream heads.
struct SoundFormat {
    enum Codec : int {
        Pcm = 0, // uncompressed, in the byte order of the machine that wrote it: read as little-endian
        Adpcm = 1,
        Mp3 = 2,
        PcmLittleEndian = 3,
        Nellymoser16k = 4,
        Nellymoser8k = 5,
        Nellymoser = 6,
        Speex = 11,
    };
    int codec = Pcm;
    double rate = 5512.5; // Hz; MP3 data carries its own rate, which wins
    bool sixteenBit = true;
    bool stereo = false;

    int channels() const { return stereo ? 2 : 1; }
    // The codecs the engine plays; the others are skipped with a warning.
    bool isPlayable() const { return codec == Pcm || codec == PcmLittleEndian || codec == Adpcm || codec == Mp3; }
};

// A sound of the movie's dictionary (DefineSound).
struct SoundDef {
    SoundFormat format;
    quint32 sampleCount = 0; // sample frames, as the file states them
    int seekSamples = 0;     // MP3: frames of encoder delay to skip at the start
    QByteArray data;         // the coded samples
};

// A point of a sound's volume envelope: from its position on, the levels
// move in a straight line to the next point's.
struct SoundEnvelopePoint {
    quint32 position44 = 0; // in samples at 44.1 kHz from the start of playing
    float left = 1, right = 1;
};

// How a frame starts (or stops) an event sound: StartSound's sound info.
struct SoundInfo {
    bool stop = false;                        // stops every playing copy of the sound instead
    bool noMultiple = false;                  // not started while a copy of it plays
    std::optional<quint32> inPoint, outPoint; // in samples at 44.1 kHz
    int loops = 1;                            // times played in all
    std::vector<SoundEnvelopePoint> envelope;
};

// StartSound (by id) or StartSound2 (by class name) in a frame.
struct SoundStart {
    quint16 soundId = 0;
    QByteArray className; // StartSound2
    SoundInfo info;
};

// SoundStreamHead or SoundStreamHead2: the format of the stream that a
// timeline's SoundStreamBlock tags carry, one block a frame.
struct SoundStreamHead {
    SoundFormat format;
    int samplesPerBlock = 0; // sample frames a frame, on average
};

// DefineButtonSound: the sounds of a button's four state changes, from
// "over to up" to "down to over"; a sound id of 0 is none.
struct ButtonSounds {
    SoundStart overUpToIdle, idleToOverUp, overUpToOverDown, overDownToOverUp;
};

} // namespace movie
