#pragma once

#include <cstdint>

// The options window's pictures as pixel tables, made when the editor is
// built (tools/make_artwork draws them): each a width, a height and its
// premultiplied ARGB pixels row by row.
namespace ArtworkPixels {

struct Picture {
    int width;
    int height;
    const std::uint32_t* pixels;
};

extern const Picture playIcon;
extern const Picture stopIcon;
extern const Picture houseIcon;
extern const Picture aboutBanner;
extern const Picture aboutEmblem;
extern const Picture aboutWordmark;

} // namespace ArtworkPixels
