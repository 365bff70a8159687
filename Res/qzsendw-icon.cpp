// Draws the icon of qzsendw and writes it as a Windows .ico file with two 32 x 32 images: one in
// 16 colours (the standard VGA palette) and one in 256 colours (the picture's own colours).
//
// The picture is an envelope with a red "send" arrow over its lower right corner. It is drawn
// once in full colour by a per-pixel function and then reduced to each palette by nearest colour,
// so both images show the same picture and only the shading differs.
//
// Build and run on the build host (scripts/gui-icon.sh does this):
//   g++ -O2 -o qzsendw-icon Res/qzsendw-icon.cpp && ./qzsendw-icon Res/qzsendw.ico
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct TRgb {
    int r, g, b;
};

const int Side = 32;

// A pixel of the full-colour picture; transparent pixels report false.
bool Pixel(int x, int y, TRgb &c)
{
    const double px = x + 0.5, py = y + 0.5;

    // The arrow: a shaft from (17,25) to (27,25) and a head pointing right, in red.
    bool shaft = px >= 15 && px <= 25 && py >= 22.5 && py <= 27.5;
    bool head = px >= 24 && px <= 31 && std::fabs(py - 25) <= (31 - px) * 0.85;
    if (shaft || head) {
        double shade = (py - 20) / 10.0;
        c = {static_cast<int>(230 - 60 * shade), static_cast<int>(40 - 20 * shade), 30};
        return true;
    }

    // The envelope: a body from (2,7) to (29,24) with a dark blue border and the flap lines.
    if (px < 2 || px > 29 || py < 7 || py > 24)
        return false;
    bool border = px < 3 || px > 28 || py < 8 || py > 23;
    // The flap: two lines from the upper corners to the middle at (15.5,17).
    double t1 = (px - 2) / 13.5, t2 = (29 - px) / 13.5;
    bool flap = (t1 >= 0 && t1 <= 1 && std::fabs(py - (7.5 + 9.5 * t1)) < 0.75) ||
                (t2 >= 0 && t2 <= 1 && std::fabs(py - (7.5 + 9.5 * t2)) < 0.75);
    if (border || flap) {
        c = {20, 40, 120};
        return true;
    }
    // Paper: the flap light, the pocket below it a little darker towards the bottom right.
    double shade = ((px - 2) + (py - 7)) / 44.0;
    bool inFlap = py < 7.5 + 9.5 * std::fmin(t1, t2);
    if (inFlap)
        c = {255, 255, 215};
    else
        c = {250 - static_cast<int>(40 * shade), 240 - static_cast<int>(40 * shade),
             160 - static_cast<int>(60 * shade)};
    return true;
}

std::vector<TRgb> Palette16()
{
    return {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
}

// The 256-colour palette holds every colour of the picture first (it has far fewer than 256), so
// the shading survives, and fills the rest with a grey ramp.
std::vector<TRgb> Palette256()
{
    std::vector<TRgb> p;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            TRgb c{0, 0, 0};
            if (!Pixel(x, y, c))
                continue;
            bool known = false;
            for (const TRgb &k : p)
                known = known || (k.r == c.r && k.g == c.g && k.b == c.b);
            if (!known && p.size() < 256)
                p.push_back(c);
        }
    for (int v = 0; p.size() < 256; v = (v + 37) % 256)
        p.push_back({v, v, v});
    return p;
}

int Nearest(const std::vector<TRgb> &pal, const TRgb &c)
{
    int best = 0;
    long bestDist = -1;
    for (size_t i = 0; i < pal.size(); ++i) {
        long dr = pal[i].r - c.r, dg = pal[i].g - c.g, db = pal[i].b - c.b;
        long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void Put16(std::vector<uint8_t> &out, unsigned v)
{
    out.push_back(v & 0xff);
    out.push_back((v >> 8) & 0xff);
}

void Put32(std::vector<uint8_t> &out, unsigned v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for colour + mask), palette, colour bits and
// the AND mask, both bottom-up with rows padded to 4 bytes.
std::vector<uint8_t> Image(int bits)
{
    const std::vector<TRgb> pal = bits == 4 ? Palette16() : Palette256();
    const int rowXor = (Side * bits / 8 + 3) / 4 * 4, rowAnd = (Side / 8 + 3) / 4 * 4;
    std::vector<uint8_t> img;
    Put32(img, 40);
    Put32(img, Side);
    Put32(img, Side * 2);
    Put16(img, 1);
    Put16(img, bits);
    Put32(img, 0);
    Put32(img, (rowXor + rowAnd) * Side);
    Put32(img, 0);
    Put32(img, 0);
    Put32(img, static_cast<unsigned>(pal.size()));
    Put32(img, 0);
    for (const TRgb &c : pal) {
        img.push_back(static_cast<uint8_t>(c.b));
        img.push_back(static_cast<uint8_t>(c.g));
        img.push_back(static_cast<uint8_t>(c.r));
        img.push_back(0);
    }
    std::vector<uint8_t> mask;
    for (int y = Side - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowXor, 0), mrow(rowAnd, 0);
        for (int x = 0; x < Side; ++x) {
            TRgb c{0, 0, 0};
            int idx = 0;
            if (Pixel(x, y, c))
                idx = Nearest(pal, c);
            else
                mrow[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            if (bits == 4)
                row[x / 2] |= static_cast<uint8_t>(x % 2 ? idx : idx << 4);
            else
                row[x] = static_cast<uint8_t>(idx);
        }
        img.insert(img.end(), row.begin(), row.end());
        mask.insert(mask.end(), mrow.begin(), mrow.end());
    }
    img.insert(img.end(), mask.begin(), mask.end());
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <output.ico>\n", argv[0]);
        return 2;
    }
    const std::vector<uint8_t> img4 = Image(4), img8 = Image(8);
    std::vector<uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, 2);
    unsigned offset = 6 + 2 * 16;
    const std::vector<uint8_t> *imgs[] = {&img4, &img8};
    const int colours[] = {16, 0}, bits[] = {4, 8};
    for (int i = 0; i < 2; ++i) {
        ico.push_back(Side);
        ico.push_back(Side);
        ico.push_back(static_cast<uint8_t>(colours[i]));
        ico.push_back(0);
        Put16(ico, 1);
        Put16(ico, bits[i]);
        Put32(ico, static_cast<unsigned>(imgs[i]->size()));
        Put32(ico, offset);
        offset += static_cast<unsigned>(imgs[i]->size());
    }
    for (const auto *img : imgs)
        ico.insert(ico.end(), img->begin(), img->end());
    FILE *f = fopen(argv[1], "wb");
    if (!f || fwrite(ico.data(), 1, ico.size(), f) != ico.size() || fclose(f) != 0) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
