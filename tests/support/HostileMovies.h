#pragma once

#include <QByteArray>

// Made-up title movies, each small on disk, that would each make the engine
// grow one thing without end: the script heap, a picture's decoding, a
// frame's tags, a shape's edges, a field's text. The defaults are the sizes
// that took the engine past every reasonable budget; smaller ones make the
// same shapes for quick runs (fuzz seeds).
namespace hostile {

// A script that doubles a string to `chars` characters, then keeps ever
// more strings of that length (the string and a number) in one array, a few
// thousand a frame, frame after frame.
QByteArray stringHoard(int chars = 2 * 1024 * 1024);
// A progressive JPEG picture of `side` x `side` pixels whose first scan is
// repeated `scans` times.
QByteArray jpegScans(int scans = 3000, int side = 8192);
// `tags` empty DoAction tags in the first frame.
QByteArray actionFlood(int tags = 8700000);
// One shape of `edges` straight edges, placed on the stage.
QByteArray edgeFlood(int edges = 4 * 1024 * 1024);
// An edit field holding `bytes` of HTML paragraphs, placed on the stage.
QByteArray htmlFlood(int bytes = 8750000);

} // namespace hostile
