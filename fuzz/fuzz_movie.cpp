// The movie engine on any bytes: read the movie, then play and draw its
// first frames into a small picture, as the title preview does.
#include "fuzz/FuzzSupport.h"

#include "movie/Movie.h"
#include "movie/MovieError.h"
#include "movie/MoviePlayer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGuiApplication(); // text in movies needs fonts
    try {
        movie::MoviePlayer player(movie::Movie::fromBytes(fuzz::bytes(data, size), QStringLiteral("fuzz.swf")));
        for (int frame = 0; frame < 4; ++frame) {
            const QImage image = player.renderImage(QSize(40, 30));
            if (image.size() != QSize(40, 30))
                fuzz::fail("a frame of the wrong size");
            player.step();
        }
    } catch (const movie::MovieError&) {
        // not a movie, or damaged beyond use: the preview says so
    }
    return 0;
}
