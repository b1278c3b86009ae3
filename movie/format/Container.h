#pragma once

#include <QByteArray>
#include <QString>

namespace movie {

// The movie's tag data with its container removed.
struct ContainerBody {
    int version = 0;
    quint32 declaredLength = 0; // file length the header claims, header included
    QByteArray body;            // everything after the 8-byte container header
    bool truncated = false;     // less data than the header claims, or damaged compression
};

// Opens the uncompressed ("FWS"), zlib ("CWS") and LZMA ("ZWS") containers. Throws
// MovieError naming `name` when the bytes are no movie or cannot be unpacked.
ContainerBody openContainer(const QByteArray& file, const QString& name);

} // namespace movie
