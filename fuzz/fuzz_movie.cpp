// The movie engine on any bytes: read the movie, then play and draw its
// first frames into a small picture and mix their sound, as the title
// preview does.
#include "fuzz/FuzzSupport.h"

#include "movie/MovieError.h"
#include "movie/format/Movie.h"
#include "movie/play/MoviePlayer.h"
#include "movie/sound/MovieSound.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGuiApplication(); // text in movies needs fonts
    try {
        const auto movie = movie::Movie::fromBytes(fuzz::bytes(data, size), QStringLiteral("fuzz.swf"));
        movie::MoviePlayer player(movie);
        movie::MovieSound sound(movie);
        std::vector<float> mix(2 * 512);
        for (int frame = 0; frame < 4; ++frame) {
            const QImage image = player.renderImage(QSize(40, 30));
            if (image.size() != QSize(40, 30))
                fuzz::fail("a frame of the wrong size");
            sound.follow(player);
            sound.render(mix.data(), 512);
            for (const float s : mix)
                if (!(s >= -1.0f && s <= 1.0f))
                    fuzz::fail("a sample out of range");
            player.step();
        }
    } catch (const movie::MovieError&) {
        // not a movie, or damaged beyond use: the preview says so
    }
    return 0;
}
