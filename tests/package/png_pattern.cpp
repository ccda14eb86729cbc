// Writes a test picture as PNG with the icon writer, and its pixels raw, so
// that another decoder can be held against them:
//   png_pattern OUT.png OUT.rgba
#include "png.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.png OUT.rgba\n", argv[0]);
        return 2;
    }
    // wide enough that the rows span several stored blocks; every channel
    // takes many values, alpha included but never 0, whose colour a decoder
    // may drop
    const int w = 203, h = 97;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>(x * 5 + y);
            p[1] = static_cast<uint8_t>(y * 11 + x / 3);
            p[2] = static_cast<uint8_t>((x ^ y) * 3);
            p[3] = static_cast<uint8_t>(1 + (x * 7 + y * 3) % 255);
        }
    if (!png::write_rgba(argv[1], w, h, rgba))
        return 1;
    FILE *f = std::fopen(argv[2], "wb");
    if (!f)
        return 1;
    bool ok = std::fwrite(rgba.data(), 1, rgba.size(), f) == rgba.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
