// checks the packed media/data.dat: what sits at each index, and that the
// pictures and sounds are fit for how the game uses them
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <allegro.h>

#include "data.h"

#ifndef JUNKFALL_DATA_FILE
#define JUNKFALL_DATA_FILE "media/data.dat"
#endif

namespace {

struct Entry {
    int index;
    const char *name;
    int type;
};

// the names are spelt from the index macros themselves, so a name in the
// file must match data.h character for character
#define ENTRY(index, type) {index, #index, type}
const Entry kCatalogue[] = {
    ENTRY(HIT1_SAMPLE, DAT_SAMPLE),    ENTRY(HIT2_SAMPLE, DAT_SAMPLE),
    ENTRY(HIT3_SAMPLE, DAT_SAMPLE),    ENTRY(SPLASH1_BMP, DAT_BITMAP),
    ENTRY(SPLASH1_PAL, DAT_PALETTE),   ENTRY(SPLASH1_SAMPLE, DAT_SAMPLE),
    ENTRY(SPLASH2_BMP, DAT_BITMAP),    ENTRY(SPLASH2_PAL, DAT_PALETTE),
    ENTRY(FIRE_SAMPLE, DAT_SAMPLE),    ENTRY(TITLE_SAMPLE, DAT_SAMPLE),
    ENTRY(SPLASH2_SAMPLE, DAT_SAMPLE), ENTRY(MENU_TIME_60, DAT_BITMAP),
    ENTRY(MENU_PLAYERS_1, DAT_BITMAP), ENTRY(MENU_TIME_120, DAT_BITMAP),
    ENTRY(MENU_PLAYERS_2, DAT_BITMAP), ENTRY(MENU_TIME_30, DAT_BITMAP),
    ENTRY(MENU_TIME_180, DAT_BITMAP),  ENTRY(MENU_PLAYERS_3, DAT_BITMAP),
    ENTRY(MENU_PLAYERS_4, DAT_BITMAP), ENTRY(MENU_TIME_300, DAT_BITMAP),
    ENTRY(TITLE_BMP, DAT_BITMAP),      ENTRY(TITLE_PAL, DAT_PALETTE),
    ENTRY(MENU_PLAY, DAT_BITMAP),      ENTRY(MENU_QUIT, DAT_BITMAP),
};
#undef ENTRY

struct Button {
    int index;
    const char *label;
};
const Button kButtons[] = {
    {MENU_PLAYERS_1, "1 PLAYER"}, {MENU_PLAYERS_2, "2 PLAYERS"}, {MENU_PLAYERS_3, "3 PLAYERS"},
    {MENU_PLAYERS_4, "4 PLAYERS"}, {MENU_TIME_30, "30 SEC"},     {MENU_TIME_60, "60 SEC"},
    {MENU_TIME_120, "2 MIN"},     {MENU_TIME_180, "3 MIN"},     {MENU_TIME_300, "5 MIN"},
    {MENU_PLAY, "PLAY"},          {MENU_QUIT, "QUIT"},
};

struct Sound {
    int index;
    double max_seconds;
};
const Sound kSounds[] = {
    {HIT1_SAMPLE, 0.5},    {HIT2_SAMPLE, 0.5},  {HIT3_SAMPLE, 0.5},    {FIRE_SAMPLE, 0.3},
    {TITLE_SAMPLE, 2.0},   {SPLASH1_SAMPLE, 2.0}, {SPLASH2_SAMPLE, 2.0},
};

const int kPalettes[] = {SPLASH1_PAL, SPLASH2_PAL, TITLE_PAL};

const int kButtonW = 118, kButtonH = 47;

// how far apart two colours are, each component on Allegro's 0..63 scale
int distance(const RGB &a, const RGB &b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

double luminance(const RGB &c)
{
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// every sample as -1..1; allegro keeps both widths unsigned
std::vector<double> samples_of(const SAMPLE *s)
{
    std::vector<double> out(s->len);
    for (unsigned long i = 0; i < s->len; i++) {
        if (s->bits == 8)
            out[i] = (static_cast<const unsigned char *>(s->data)[i] - 128) / 128.0;
        else
            out[i] = (static_cast<const unsigned short *>(s->data)[i] - 32768) / 32768.0;
    }
    return out;
}

class DataFile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        // load as the game does: 8-bit, indices untouched. other suites in
        // this program get their settings back afterwards
        saved_depth_ = get_color_depth();
        saved_conversion_ = get_color_conversion();
        set_color_depth(8);
        set_color_conversion(COLORCONV_NONE);
        data_ = load_datafile(JUNKFALL_DATA_FILE);
    }
    static void TearDownTestSuite()
    {
        if (data_)
            unload_datafile(data_);
        data_ = nullptr;
        set_color_depth(saved_depth_);
        set_color_conversion(saved_conversion_);
    }

    void SetUp() override
    {
        ASSERT_NE(data_, nullptr) << "cannot load " << JUNKFALL_DATA_FILE;
        int count = 0;
        while (data_[count].type != DAT_END && count <= DATA_COUNT)
            count++;
        ASSERT_EQ(count, DATA_COUNT) << "objects before the end marker";
    }

    static const DATAFILE &at(int i) { return data_[i]; }
    static bool has_type(int i, int type) { return data_[i].type == type; }
    static const BITMAP *bitmap(int i) { return static_cast<const BITMAP *>(data_[i].dat); }
    static const RGB *palette(int i) { return static_cast<const RGB *>(data_[i].dat); }
    static const SAMPLE *sample(int i) { return static_cast<const SAMPLE *>(data_[i].dat); }
    static int pixel(const BITMAP *b, int x, int y) { return b->line[y][x]; }

    static DATAFILE *data_;
    static int saved_depth_, saved_conversion_;
};

DATAFILE *DataFile::data_ = nullptr;
int DataFile::saved_depth_ = 8;
int DataFile::saved_conversion_ = COLORCONV_NONE;

TEST_F(DataFile, EachIndexHoldsTheObjectTypeTheGameExpects)
{
    ASSERT_EQ(sizeof kCatalogue / sizeof kCatalogue[0], static_cast<size_t>(DATA_COUNT));
    for (const Entry &e : kCatalogue) {
        ASSERT_GE(e.index, 0);
        ASSERT_LT(e.index, DATA_COUNT);
        EXPECT_EQ(at(e.index).type, e.type) << e.name << " at " << e.index;
        EXPECT_NE(at(e.index).dat, nullptr) << e.name;
    }
}

TEST_F(DataFile, EachObjectIsNamedAsInTheHeader)
{
    std::set<int> seen;
    for (const Entry &e : kCatalogue) {
        EXPECT_TRUE(seen.insert(e.index).second) << "two names share index " << e.index;
        const char *name = get_datafile_property(&at(e.index), DAT_ID('N', 'A', 'M', 'E'));
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, e.name) << "at index " << e.index;
    }
}

TEST_F(DataFile, BitmapsAreEightBit)
{
    for (const Entry &e : kCatalogue) {
        if (e.type != DAT_BITMAP)
            continue;
        ASSERT_TRUE(has_type(e.index, DAT_BITMAP)) << e.name;
        EXPECT_EQ(bitmap_color_depth(const_cast<BITMAP *>(bitmap(e.index))), 8) << e.name;
    }
}

TEST_F(DataFile, MenuButtonsAreAllTheSameSize)
{
    for (const Button &b : kButtons) {
        ASSERT_TRUE(has_type(b.index, DAT_BITMAP)) << b.label;
        EXPECT_EQ(bitmap(b.index)->w, kButtonW) << b.label;
        EXPECT_EQ(bitmap(b.index)->h, kButtonH) << b.label;
    }
}

TEST_F(DataFile, LogoFitsBetweenTheTopAndThePlayerRow)
{
    ASSERT_TRUE(has_type(TITLE_BMP, DAT_BITMAP));
    const BITMAP *logo = bitmap(TITLE_BMP);
    EXPECT_LE(logo->w, 800);
    EXPECT_LE(20 + logo->h, 274) << "drawn from y 20, it would run into the buttons at y 274";
    EXPECT_GE(logo->w, 200);
    EXPECT_GE(logo->h, 60);
}

TEST_F(DataFile, LogoEdgesMatchTheMenuBackground)
{
    // the menu blits the logo onto colour 0, so its border must be colour 0
    ASSERT_TRUE(has_type(TITLE_BMP, DAT_BITMAP));
    const BITMAP *logo = bitmap(TITLE_BMP);
    int stray = 0;
    for (int x = 0; x < logo->w; x++)
        stray += (pixel(logo, x, 0) != 0) + (pixel(logo, x, logo->h - 1) != 0);
    for (int y = 0; y < logo->h; y++)
        stray += (pixel(logo, 0, y) != 0) + (pixel(logo, logo->w - 1, y) != 0);
    EXPECT_EQ(stray, 0);
}

TEST_F(DataFile, FirstSplashSitsInsideTheScreen)
{
    ASSERT_TRUE(has_type(SPLASH1_BMP, DAT_BITMAP));
    EXPECT_LT(bitmap(SPLASH1_BMP)->w, 800);
    EXPECT_LT(bitmap(SPLASH1_BMP)->h, 600);
}

TEST_F(DataFile, SecondSplashStretchesWithoutDistortion)
{
    // stretched over the whole 800x600 screen, so it must be 4:3
    ASSERT_TRUE(has_type(SPLASH2_BMP, DAT_BITMAP));
    const BITMAP *b = bitmap(SPLASH2_BMP);
    EXPECT_EQ(b->w * 3, b->h * 4) << b->w << "x" << b->h;
    EXPECT_GE(b->w, 320);
}

TEST_F(DataFile, PicturesAreDrawnNotPlaceholders)
{
    struct Picture {
        int index, min_colours;
    };
    std::vector<Picture> pictures = {{SPLASH1_BMP, 48}, {SPLASH2_BMP, 96}, {TITLE_BMP, 48}};
    for (const Button &b : kButtons)
        pictures.push_back({b.index, 8});
    for (const Picture &p : pictures) {
        ASSERT_TRUE(has_type(p.index, DAT_BITMAP));
        const BITMAP *b = bitmap(p.index);
        std::set<int> colours;
        long ink = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++) {
                colours.insert(pixel(b, x, y));
                ink += pixel(b, x, y) != 0;
            }
        EXPECT_GE(static_cast<int>(colours.size()), p.min_colours) << "index " << p.index;
        EXPECT_GE(ink * 5, static_cast<long>(b->w) * b->h) << "index " << p.index << " is mostly empty";
    }
}

TEST_F(DataFile, PaletteComponentsAreSixBit)
{
    for (int p : kPalettes) {
        ASSERT_TRUE(has_type(p, DAT_PALETTE));
        for (int i = 0; i < PAL_SIZE; i++) {
            const RGB &c = palette(p)[i];
            EXPECT_TRUE(c.r <= 63 && c.g <= 63 && c.b <= 63) << "palette " << p << " entry " << i;
        }
    }
}

TEST_F(DataFile, ColourZeroIsBlackAndColourOneIsBright)
{
    // the screen clears to 0; the pointer is drawn in 1 over every screen
    for (int p : kPalettes) {
        ASSERT_TRUE(has_type(p, DAT_PALETTE));
        const RGB *pal = palette(p);
        EXPECT_EQ(pal[0].r + pal[0].g + pal[0].b, 0) << "palette " << p;
        EXPECT_GE(luminance(pal[1]), 40.0) << "palette " << p;
    }
}

TEST_F(DataFile, ChoiceFrameStandsOutOnEveryButton)
{
    // the menu outlines a choice in colour 1 over the button's outermost
    // ring; it must differ clearly from that ring and the one inside it
    ASSERT_TRUE(has_type(TITLE_PAL, DAT_PALETTE));
    const RGB *pal = palette(TITLE_PAL);
    for (const Button &bt : kButtons) {
        ASSERT_TRUE(has_type(bt.index, DAT_BITMAP));
        const BITMAP *b = bitmap(bt.index);
        ASSERT_EQ(b->w, kButtonW);
        ASSERT_EQ(b->h, kButtonH);
        int worst = 1000, wx = 0, wy = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++) {
                int ring = std::min({x, y, b->w - 1 - x, b->h - 1 - y});
                if (ring > 1)
                    continue;
                int d = distance(pal[1], pal[pixel(b, x, y)]);
                if (d < worst) {
                    worst = d;
                    wx = x;
                    wy = y;
                }
            }
        EXPECT_GE(worst, 48) << bt.label << " at (" << wx << "," << wy << ")";
    }
}

// how well the bright pixels inside a button read as the given text in the
// built-in font, scaled up: the worst share of agreeing pixels over the
// characters, at the best of a few nearby alignments
double label_match(const BITMAP *button, const RGB *pal, const char *text)
{
    const int inset = 4;  // inside the rim and bevel
    auto lit = [&](int x, int y) {
        if (x < inset || y < inset || x >= button->w - inset || y >= button->h - inset)
            return false;
        const RGB &c = pal[button->line[y][x]];
        return c.r + c.g + c.b >= 150;
    };
    int bx0 = button->w, by0 = button->h, bx1 = -1, by1 = -1;
    for (int y = 0; y < button->h; y++)
        for (int x = 0; x < button->w; x++)
            if (lit(x, y)) {
                bx0 = std::min(bx0, x);
                bx1 = std::max(bx1, x);
                by0 = std::min(by0, y);
                by1 = std::max(by1, y);
            }
    if (bx1 < 0)
        return 0;

    int tw = text_length(font, text), th = text_height(font);
    BITMAP *glyphs = create_bitmap(tw, th);
    clear_to_color(glyphs, 0);
    textout_ex(glyphs, font, text, 0, 0, 1, -1);
    int gx0 = tw, gy0 = th, gx1 = -1, gy1 = -1;
    for (int y = 0; y < th; y++)
        for (int x = 0; x < tw; x++)
            if (glyphs->line[y][x]) {
                gx0 = std::min(gx0, x);
                gx1 = std::max(gx1, x);
                gy0 = std::min(gy0, y);
                gy1 = std::max(gy1, y);
            }

    // where each character's cell starts in the unscaled text
    std::vector<int> cell_start;
    std::string prefix;
    for (const char *c = text; *c; c++) {
        cell_start.push_back(text_length(font, prefix.c_str()));
        prefix += *c;
    }
    cell_start.push_back(tw);

    double base_sx = (bx1 - bx0 + 1.0) / (gx1 - gx0 + 1.0);
    double base_sy = (by1 - by0 + 1.0) / (gy1 - gy0 + 1.0);
    double best = 0;
    for (int ds = -3; ds <= 3; ds++)
        for (int ox = -1; ox <= 1; ox++) {  // half pixels
            double sx = base_sx * (1 + ds * 0.01);
            double worst = 1;
            for (size_t c = 0; c + 1 < cell_start.size(); c++) {
                int agree = 0, total = 0;
                for (int gy = gy0; gy <= gy1; gy++)
                    for (int gx = std::max(gx0, cell_start[c]); gx < std::min(gx1 + 1, cell_start[c + 1]);
                         gx++) {
                        // the share of the pixel's scaled footprint that is lit
                        int hits = 0;
                        for (int sy = 0; sy < 3; sy++)
                            for (int sx3 = 0; sx3 < 3; sx3++) {
                                double fx = bx0 + ox * 0.5 + (gx - gx0 + (sx3 + 0.5) / 3) * sx;
                                double fy = by0 + (gy - gy0 + (sy + 0.5) / 3) * base_sy;
                                hits += lit(static_cast<int>(std::floor(fx)), static_cast<int>(std::floor(fy)));
                            }
                        agree += (hits >= 5) == (glyphs->line[gy][gx] != 0);
                        total++;
                    }
                if (total)
                    worst = std::min(worst, static_cast<double>(agree) / total);
            }
            best = std::max(best, worst);
        }
    destroy_bitmap(glyphs);
    return best;
}

TEST_F(DataFile, ButtonsCarryTheirOwnLabels)
{
    // the labels are the built-in font scaled up, in bright colours over a
    // darker face; each button must read as its own label and not another
    ASSERT_TRUE(has_type(TITLE_PAL, DAT_PALETTE));
    for (const Button &bt : kButtons) {
        ASSERT_TRUE(has_type(bt.index, DAT_BITMAP));
        double own = label_match(bitmap(bt.index), palette(TITLE_PAL), bt.label);
        EXPECT_GE(own, 0.92) << bt.label;
        for (const Button &other : kButtons)
            if (other.index != bt.index) {
                double score = label_match(bitmap(bt.index), palette(TITLE_PAL), other.label);
                EXPECT_LT(score, own) << bt.label << " reads as well as " << other.label;
            }
    }
}

TEST_F(DataFile, SoundsAreMonoAndOfSuitableLength)
{
    for (const Sound &s : kSounds) {
        ASSERT_TRUE(has_type(s.index, DAT_SAMPLE)) << "index " << s.index;
        const SAMPLE *smp = sample(s.index);
        EXPECT_EQ(smp->stereo, 0) << "index " << s.index;
        EXPECT_TRUE(smp->bits == 8 || smp->bits == 16) << "index " << s.index;
        EXPECT_GE(smp->freq, 8000) << "index " << s.index;
        EXPECT_LE(smp->freq, 48000) << "index " << s.index;
        double seconds = static_cast<double>(smp->len) / smp->freq;
        EXPECT_GT(seconds, 0.05) << "index " << s.index;
        EXPECT_LE(seconds, s.max_seconds) << "index " << s.index;
    }
}

TEST_F(DataFile, SoundsAreAudibleAndNotClipped)
{
    for (const Sound &s : kSounds) {
        ASSERT_TRUE(has_type(s.index, DAT_SAMPLE));
        std::vector<double> v = samples_of(sample(s.index));
        ASSERT_FALSE(v.empty());
        double peak = 0;
        int run = 0, longest = 0;
        for (double x : v) {
            peak = std::max(peak, std::fabs(x));
            run = std::fabs(x) >= 0.99 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        EXPECT_GE(peak, 0.25) << "index " << s.index << " is too quiet";
        EXPECT_LT(longest, 4) << "index " << s.index << " sits flat at full scale";
    }
}

TEST_F(DataFile, SoundsStartAndEndWithoutAClick)
{
    for (const Sound &s : kSounds) {
        ASSERT_TRUE(has_type(s.index, DAT_SAMPLE));
        std::vector<double> v = samples_of(sample(s.index));
        ASSERT_FALSE(v.empty());
        EXPECT_LE(std::fabs(v.front()), 0.02) << "index " << s.index;
        EXPECT_LE(std::fabs(v.back()), 0.02) << "index " << s.index;
    }
}

TEST_F(DataFile, TheThreeHitSoundsDiffer)
{
    // one is picked at random per hit; three copies of one would defeat that
    const int hits[] = {HIT1_SAMPLE, HIT2_SAMPLE, HIT3_SAMPLE};
    std::vector<std::vector<double>> norm;
    for (int h : hits) {
        ASSERT_TRUE(has_type(h, DAT_SAMPLE));
        std::vector<double> v = samples_of(sample(h));
        double energy = 0;
        for (double x : v)
            energy += x * x;
        double rms = std::sqrt(energy / std::max<size_t>(1, v.size()));
        ASSERT_GT(rms, 0) << "index " << h << " is silent";
        for (double &x : v)
            x /= rms;
        norm.push_back(v);
    }
    for (int a = 0; a < 3; a++)
        for (int b = a + 1; b < 3; b++) {
            const std::vector<double> &x = norm[a], &y = norm[b];
            size_t n = std::max(x.size(), y.size());
            double diff = 0;
            for (size_t i = 0; i < n; i++) {
                double d = (i < x.size() ? x[i] : 0) - (i < y.size() ? y[i] : 0);
                diff += d * d;
            }
            // identical sounds give 0; unrelated ones about 1.4
            EXPECT_GT(std::sqrt(diff / n), 0.5) << "hits " << a + 1 << " and " << b + 1;
        }
}

}  // namespace
