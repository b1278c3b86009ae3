// write_hostile_movies FOLDER
// Writes the made-up hostile titles (tests/support/HostileMovies.h) into
// FOLDER, one file each, for bench_hostile.sh to play.
#include "tests/support/HostileMovies.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_hostile_movies FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const std::pair<const char*, std::function<QByteArray()>> movies[] = {
        {"string-hoard.swf", [] { return hostile::stringHoard(); }},
        {"jpeg-3000-scans.swf", [] { return hostile::jpegScans(3000); }},
        {"jpeg-200000-scans.swf", [] { return hostile::jpegScans(200000); }},
        {"action-flood.swf", [] { return hostile::actionFlood(); }},
        {"edge-flood.swf", [] { return hostile::edgeFlood(); }},
        {"html-flood.swf", [] { return hostile::htmlFlood(); }},
    };
    for (const auto& [name, make] : movies) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        const QByteArray bytes = make();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        std::printf("%s: %lld bytes\n", name, static_cast<long long>(bytes.size()));
    }
    return 0;
}
