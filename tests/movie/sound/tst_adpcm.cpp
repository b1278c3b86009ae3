// ADPCM decoding against the format's definition: short streams whose
// samples were worked out by hand from the step and index tables, and the
// 4-bit case against libsndfile's IMA ADPCM decoder.
#include "movie/sound/AdpcmDecoder.h"
#include "movie/writer/BitWriter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

using movie::SoundFormat;
using movie::writer::BitWriter;

namespace {

struct Header {
    qint16 sample;
    int index;
};

// A piece of `codeBits` codes: per channel a header, then the codes in order
// (channels interleaved).
QByteArray piece(int codeBits, const std::vector<Header>& headers, const std::vector<quint32>& codes)
{
    BitWriter w;
    w.ub(quint32(codeBits - 2), 2);
    for (const Header& h : headers) {
        w.sb(h.sample, 16);
        w.ub(quint32(h.index), 6);
    }
    for (const quint32 code : codes)
        w.ub(code, codeBits);
    return w.data();
}

// The first `frames` decoded sample frames of a piece (the rest of its last
// byte is padding), channels interleaved, as 16-bit values.
std::vector<int> decode(const QByteArray& data, int channels, int frames)
{
    SoundFormat format;
    format.codec = SoundFormat::Adpcm;
    format.stereo = channels == 2;
    movie::AdpcmDecoder decoder(format, std::make_unique<movie::OnePiece>(data));
    std::vector<float> decoded(std::size_t(2 * frames));
    const int count = decoder.read(decoded.data(), frames);
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(int(std::lround(decoded[2 * std::size_t(i) + std::size_t(c)] * 32768.0f)));
    return out;
}

} // namespace

class AdpcmTest : public QObject {
    Q_OBJECT

private slots:
    void workedByHand_data();
    void workedByHand();
    void packetsRestartEvery4096Frames();
    void fourBitsAsLibsndfileDecodesImaAdpcm();
};

void AdpcmTest::workedByHand_data()
{
    QTest::addColumn<int>("codeBits");
    QTest::addColumn<std::vector<Header>>("headers");
    QTest::addColumn<std::vector<quint32>>("codes");
    QTest::addColumn<std::vector<int>>("expected");

    // 2 bits, step 7: code 01 adds 7/2 + 7 = 10, index +2 (step 9); code 11
    // takes 9/2 + 9 = 13, index +2 (step 11); code 00 adds 11/2 = 5, index -1
    // (step 10); code 10 takes 10/2 = 5.
    QTest::newRow("2 bits") << 2 << std::vector<Header>{{0, 0}} << std::vector<quint32>{1, 3, 0, 2}
                            << std::vector<int>{0, 10, -3, 2, -3};
    // 3 bits, step 19: code 011 adds 19/4 + 19 + 9 = 32, index +4 (step 28);
    // code 110 takes 28/4 + 28 = 35, index +2 (step 34); code 001 adds
    // 34/4 + 17 = 25.
    QTest::newRow("3 bits") << 3 << std::vector<Header>{{100, 10}} << std::vector<quint32>{3, 6, 1}
                            << std::vector<int>{100, 132, 97, 122};
    // 4 bits, step 50: code 0111 adds 6 + 50 + 25 + 12 = 93, index +8 (step
    // 107); code 1100 takes 13 + 107 = 120, index +2 (step 130); code 0000
    // adds 130/8 = 16.
    QTest::newRow("4 bits") << 4 << std::vector<Header>{{-50, 20}} << std::vector<quint32>{7, 12, 0}
                            << std::vector<int>{-50, 43, -77, -61};
    // 5 bits, step 3024: code 01111 adds 189 + 3024 + 1512 + 756 + 378 and
    // stops at 32767, index +16 (step 13899); 11111 takes 868 + 13899 + 6949
    // + 3474 + 1737, index +16 stops at 88 (step 32767); 11111 takes 2047 +
    // 32767 + 16383 + 8191 + 4095 and stops at -32768; 00000 adds 2047.
    QTest::newRow("5 bits") << 5 << std::vector<Header>{{32760, 63}} << std::vector<quint32>{15, 31, 31, 0}
                            << std::vector<int>{32760, 32767, 5840, -32768, -30721};
    // Stereo: the channels' headers, then their codes in turn (01 adds 10, 11 takes 10).
    QTest::newRow("stereo") << 2 << std::vector<Header>{{1000, 0}, {-1000, 0}} << std::vector<quint32>{1, 3}
                            << std::vector<int>{1000, -1000, 1010, -1010};
}

void AdpcmTest::workedByHand()
{
    QFETCH(int, codeBits);
    QFETCH(std::vector<Header>, headers);
    QFETCH(std::vector<quint32>, codes);
    QFETCH(std::vector<int>, expected);
    const int channels = int(headers.size());
    QCOMPARE(decode(piece(codeBits, headers, codes), channels, int(expected.size()) / channels), expected);
}

void AdpcmTest::packetsRestartEvery4096Frames()
{
    // A header, 4095 codes, and the next packet's header: its sample is the
    // 4097th, whatever the codes before it did.
    BitWriter w;
    w.ub(0, 2); // 2-bit codes
    w.sb(0, 16);
    w.ub(0, 6);
    for (int i = 0; i < 4095; ++i)
        w.ub(1, 2);
    w.sb(5000, 16);
    w.ub(3, 6);
    w.ub(0, 2); // step 10: adds 5
    w.ub(0, 2); // step 9: adds 4; the data ends on a byte
    const std::vector<int> out = decode(w.data(), 1, 8192);
    QCOMPARE(out.size(), std::size_t(4099));
    QCOMPARE(out[4096], 5000);
    QCOMPARE(out[4097], 5005);
    QCOMPARE(out[4098], 5009);
}

void AdpcmTest::fourBitsAsLibsndfileDecodesImaAdpcm()
{
    // libsndfile writes a tone as IMA ADPCM WAV; the first block's header
    // and nibbles, laid out as a 4-bit piece, must decode to exactly what
    // libsndfile decodes from the file.
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("ima.wav")));
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM;
    SNDFILE* out = sf_open(path.constData(), SFM_WRITE, &info);
    QVERIFY(out);
    std::vector<short> tone(4000);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = short(std::lround(20000 * std::sin(double(i) * 0.07) + 6000 * std::sin(double(i) * 0.5)));
    sf_write_short(out, tone.data(), sf_count_t(tone.size()));
    sf_close(out);

    QFile file(dir.filePath(QStringLiteral("ima.wav")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray wav = file.readAll();
    const qsizetype fmt = wav.indexOf("fmt ");
    const qsizetype data = wav.indexOf("data");
    QVERIFY(fmt > 0 && data > 0);
    const auto* bytes = reinterpret_cast<const uchar*>(wav.constData());
    const int blockAlign = bytes[fmt + 20] | (bytes[fmt + 21] << 8);
    const uchar* block = bytes + data + 8;
    BitWriter w;
    w.ub(2, 2); // 4-bit codes
    w.sb(qint16(block[0] | (block[1] << 8)), 16);
    w.ub(block[2], 6);
    for (int i = 4; i < blockAlign; ++i) {
        w.ub(block[i] & 0x0F, 4); // the low nibble comes first in WAV
        w.ub(block[i] >> 4, 4);
    }
    const std::size_t frames = std::size_t(blockAlign - 4) * 2 + 1;
    const std::vector<int> ours = decode(w.data(), 1, int(frames));
    QCOMPARE(ours.size(), frames);

    SF_INFO readInfo{};
    SNDFILE* in = sf_open(path.constData(), SFM_READ, &readInfo);
    QVERIFY(in);
    std::vector<short> theirs(frames);
    QCOMPARE(sf_read_short(in, theirs.data(), sf_count_t(frames)), sf_count_t(frames));
    sf_close(in);
    for (std::size_t i = 0; i < frames; ++i)
        QVERIFY2(ours[i] == theirs[i],
                 qPrintable(QStringLiteral("sample %1: %2, libsndfile %3").arg(i).arg(ours[i]).arg(theirs[i])));
}

QTEST_GUILESS_MAIN(AdpcmTest)
#include "tst_adpcm.moc"
