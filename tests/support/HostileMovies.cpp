#include "tests/support/HostileMovies.h"

#include "movie/format/TagCodes.h"
#include "movie/writer/ActionWriter.h"
#include "movie/writer/Records.h"
#include "movie/writer/SwfWriter.h"
#include "tests/support/TestJpeg.h"

namespace hostile {

namespace {

using movie::writer::ActionWriter;
using movie::writer::BitWriter;
using movie::writer::SwfWriter;
using A = ActionWriter;

// A title of the usual size, packed as such titles usually are.
SwfWriter title() { return SwfWriter(265, 65, 24); }

QByteArray placedAlone(SwfWriter& w, quint16 character)
{
    w.placeObject2(SwfWriter::Place::add(1, character));
    w.showFrame();
    return w.finish(SwfWriter::Compression::Zlib);
}

} // namespace

QByteArray stringHoard(int chars)
{
    SwfWriter w = title();
    // Frame 1: s doubled to its length, an empty array and a counter.
    A start;
    start.setVariable("s", A::str("hostile!"));
    start.label("grow");
    start.push({A::str("s")}).getVariable("s").getVariable("s").op(0x47).op(0x1D); // s = s + s
    start.getVariable("s").push({A::str("length")}).op(0x4E).push({A::num(chars)}).op(0x48).ifTrue("grow");
    start.push({A::str("a"), A::num(0), A::str("Array")}).op(0x40).op(0x1D); // a = new Array()
    start.setVariable("i", A::num(0));
    w.doAction(start.bytes());
    w.showFrame();
    // Frame 2, for ever: a[i] = s + i; i++.
    A hoard;
    hoard.label("more");
    hoard.getVariable("a").getVariable("i").getVariable("s").getVariable("i").op(0x47).op(0x4F);
    hoard.push({A::str("i")}).getVariable("i").op(0x50).op(0x1D);
    hoard.jump("more");
    w.doAction(hoard.bytes());
    w.showFrame();
    // Frame 3: back to frame 2.
    w.doAction(movie::writer::actions::gotoFrame(1) + movie::writer::actions::play());
    w.showFrame();
    return w.finish(SwfWriter::Compression::Zlib);
}

QByteArray jpegScans(int scans, int side)
{
    SwfWriter w = title();
    w.defineBitsJpeg2(1, jpegScanBomb(side, side, scans));
    return placedAlone(w, 1);
}

QByteArray actionFlood(int tags)
{
    SwfWriter w = title();
    for (int i = 0; i < tags; ++i)
        w.writeTag(movie::tag::DoAction, {});
    w.showFrame();
    return w.finish(SwfWriter::Compression::Zlib);
}

QByteArray edgeFlood(int edges)
{
    // Written bit by bit: a shape held record by record in memory would itself
    // take gigabytes. A zigzag of the shortest straight edges, filled and
    // stroked.
    BitWriter b;
    b.u16(1);
    movie::writer::writeRect(b, QRect(0, 0, edges + 1, 2));
    movie::writer::writeStyles(b, {movie::writer::ShapeSpec::Fill::solid(Qt::red)}, {movie::writer::ShapeSpec::Line{}},
                               3);
    b.ub(1, 4); // fill index bits
    b.ub(1, 4); // line index bits
    b.ub(0, 1); // a style change: move to (0, 0), fill 1 on the right, line 1
    b.ub(0x0D, 5);
    b.ub(1, 5);
    b.sb(0, 1);
    b.sb(0, 1);
    b.ub(1, 1);
    b.ub(1, 1);
    for (int i = 0; i < edges; ++i) {
        b.ub(1, 1); // an edge
        b.ub(1, 1); // straight
        b.ub(0, 4); // deltas of 2 bits
        b.ub(1, 1); // both deltas
        b.sb(1, 2);
        b.sb(i % 2 == 0 ? 1 : -1, 2);
    }
    b.ub(0, 6); // the end record
    SwfWriter w = title();
    w.writeTag(movie::tag::DefineShape3, b.data());
    return placedAlone(w, 1);
}

QByteArray htmlFlood(int bytes)
{
    const QByteArray paragraph = "<p><font color=\"#FF0000\">A hostile title</font> <b>keeps</b> writing</p>";
    SwfWriter::EditTextSpec field;
    field.bounds = QRect(0, 0, 265 * 20, 65 * 20);
    field.html = field.multiline = field.wordWrap = true;
    field.text = paragraph.repeated(std::max<qsizetype>(1, bytes / paragraph.size()));
    SwfWriter w = title();
    w.defineEditText(1, field);
    return placedAlone(w, 1);
}

} // namespace hostile
