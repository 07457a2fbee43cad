// Draws the application icon and writes it in every form the builds need:
//   vornhaskel.ico            the eight images in one icon file
//   icon-3000N.bin            each image alone, for an RT_ICON resource
//   icon-group.bin            the RT_GROUP_ICON directory naming 30001 to 30008
//   icon-group-alpha.bin      the same naming only the 32-bit images, 30006 to 30008
//   icon-NN.png               16, 32 and 48 pixels, for desktop themes
//   icon_rgba.inc             16, 32 and 48 pixels as RGBA bytes, to embed in a program
// usage: make_icon OUTPUT_FOLDER
//
// The design: two beamed eighth notes, white on a rounded blue square. Output is
// a pure function of this file, so builds are reproducible.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0..1
};

struct Image {
    int size;
    std::vector<Rgba> pixels;  // top row first
    const Rgba& at(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

// --- drawing, in unit coordinates (0..1, y down) -------------------------

bool InRoundedSquare(double x, double y) {
    const double inset = 0.04, radius = 0.2;
    const double lo = inset + radius, hi = 1 - inset - radius;
    const double dx = std::max({lo - x, 0.0, x - hi}), dy = std::max({lo - y, 0.0, y - hi});
    return dx * dx + dy * dy <= radius * radius && x >= inset && x <= 1 - inset && y >= inset && y <= 1 - inset;
}

bool InEllipse(double x, double y, double cx, double cy, double rx, double ry, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    const double u = (x - cx) * c + (y - cy) * s, v = -(x - cx) * s + (y - cy) * c;
    return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1;
}

bool InNotes(double x, double y) {
    constexpr double rx = 0.13, ry = 0.095, tilt = -0.35;
    constexpr double head1x = 0.33, head1y = 0.72, head2x = 0.69, head2y = 0.64;
    constexpr double stem = 0.065, beam = 0.13;
    const double stem1 = head1x + rx * 0.82, stem2 = head2x + rx * 0.82;
    const double top1 = 0.26, top2 = 0.18;
    if (InEllipse(x, y, head1x, head1y, rx, ry, tilt) || InEllipse(x, y, head2x, head2y, rx, ry, tilt)) return true;
    if (x >= stem1 - stem && x <= stem1 && y >= top1 && y <= head1y) return true;
    if (x >= stem2 - stem && x <= stem2 && y >= top2 && y <= head2y) return true;
    if (x >= stem1 - stem && x <= stem2) {
        const double t = (x - (stem1 - stem)) / (stem2 - stem1 + stem);
        const double top = top1 + (top2 - top1) * t;
        return y >= top && y <= top + beam;
    }
    return false;
}

Rgba Shade(double x, double y) {
    if (!InRoundedSquare(x, y)) return {};
    if (InNotes(x, y)) return {1, 1, 1, 1};
    const double t = y;  // vertical gradient
    return {0.16 + (0.09 - 0.16) * t, 0.45 + (0.22 - 0.45) * t, 0.86 + (0.55 - 0.86) * t, 1};
}

Image Draw(int size) {
    constexpr int kSamples = 8;  // per axis, for smooth edges at 16 pixels
    Image image{size, std::vector<Rgba>(static_cast<std::size_t>(size * size))};
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            Rgba sum;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgba c = Shade((px + (sx + 0.5) / kSamples) / size, (py + (sy + 0.5) / kSamples) / size);
                    sum.r += c.r * c.a, sum.g += c.g * c.a, sum.b += c.b * c.a, sum.a += c.a;
                }
            Rgba& out = image.pixels[static_cast<std::size_t>(py * size + px)];
            out.a = sum.a / (kSamples * kSamples);
            if (sum.a > 0) out.r = sum.r / sum.a, out.g = sum.g / sum.a, out.b = sum.b / sum.a;
        }
    return image;
}

std::uint8_t Byte(double unit) { return static_cast<std::uint8_t>(std::lround(std::clamp(unit, 0.0, 1.0) * 255)); }

// --- encoding --------------------------------------------------------------

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Put32BigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

// 6 x 6 x 6 colour cube plus 40 greys: a fixed palette keeps the output stable.
std::array<std::array<std::uint8_t, 3>, 256> Palette() {
    std::array<std::array<std::uint8_t, 3>, 256> palette{};
    std::size_t n = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[n++] = {static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                static_cast<std::uint8_t>(b * 51)};
    for (int i = 0; n < palette.size(); ++i) {
        const auto grey = static_cast<std::uint8_t>(6 + i * 6);
        palette[n++] = {grey, grey, grey};
    }
    return palette;
}

std::uint8_t Nearest(const std::array<std::array<std::uint8_t, 3>, 256>& palette, const Rgba& c) {
    const int r = Byte(c.r), g = Byte(c.g), b = Byte(c.b);
    int best = 0, best_distance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const auto& p = palette[static_cast<std::size_t>(i)];
        const int distance = (p[0] - r) * (p[0] - r) + (p[1] - g) * (p[1] - g) + (p[2] - b) * (p[2] - b);
        if (distance < best_distance) best = i, best_distance = distance;
    }
    return static_cast<std::uint8_t>(best);
}

// A classic icon image: BITMAPINFOHEADER, palette (8 bpp), colour rows, AND mask,
// all rows bottom-up and padded to four bytes.
Bytes IconImage(const Image& image, int bits) {
    const int size = image.size;
    const int colour_row = (size * bits / 8 + 3) / 4 * 4;
    const int mask_row = (size + 31) / 32 * 4;
    const auto image_bytes = static_cast<std::uint32_t>((colour_row + mask_row) * size);
    Bytes out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, 0);
    Put32(out, image_bytes);
    Put32(out, 0), Put32(out, 0), Put32(out, 0), Put32(out, 0);

    const auto palette = Palette();
    if (bits == 8)
        for (const auto& p : palette) out.insert(out.end(), {p[2], p[1], p[0], 0});

    for (int y = size - 1; y >= 0; --y) {
        const std::size_t row_start = out.size();
        for (int x = 0; x < size; ++x) {
            const Rgba& c = image.at(x, y);
            const bool opaque = c.a >= 0.5;
            if (bits == 8) {
                out.push_back(opaque ? Nearest(palette, c) : 0);
            } else if (bits == 24) {
                out.insert(out.end(), {opaque ? Byte(c.b) : std::uint8_t{0}, opaque ? Byte(c.g) : std::uint8_t{0},
                                       opaque ? Byte(c.r) : std::uint8_t{0}});
            } else {
                out.insert(out.end(), {Byte(c.b), Byte(c.g), Byte(c.r), Byte(c.a)});
            }
        }
        out.resize(row_start + static_cast<std::size_t>(colour_row), 0);
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(mask_row), 0);
        for (int x = 0; x < size; ++x) {
            const double alpha = image.at(x, y).a;
            const bool transparent = bits == 32 ? alpha == 0 : alpha < 0.5;
            if (transparent) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PngChunk(Bytes& png, const char* type, const Bytes& data) {
    Put32BigEndian(png, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    Put32BigEndian(png, Crc32(body.data(), body.size()));
}

// RGBA PNG with stored (uncompressed) deflate blocks: tiny images need no zlib.
Bytes Png(const Image& image) {
    Bytes raw;
    for (int y = 0; y < image.size; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.size; ++x) {
            const Rgba& c = image.at(x, y);
            raw.insert(raw.end(), {Byte(c.r), Byte(c.g), Byte(c.b), Byte(c.a)});
        }
    }
    Bytes zlib{0x78, 0x01};
    for (std::size_t offset = 0; offset < raw.size(); offset += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
        zlib.push_back(offset + length == raw.size() ? 1 : 0);
        Put16(zlib, static_cast<unsigned>(length));
        Put16(zlib, static_cast<unsigned>(~length & 0xFFFF));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                    raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    }
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    Put32BigEndian(zlib, (b << 16) | a);

    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Put32BigEndian(header, static_cast<std::uint32_t>(image.size));
    Put32BigEndian(header, static_cast<std::uint32_t>(image.size));
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT", zlib);
    PngChunk(png, "IEND", {});
    return png;
}

bool Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    // The images in resource order 30001 to 30008: size and bits per pixel.
    constexpr std::array<std::array<int, 2>, 8> kImages{{{48, 8}, {32, 8}, {48, 24}, {32, 24}, {16, 24},
                                                         {48, 32}, {32, 32}, {16, 32}}};
    const Image drawn[] = {Draw(16), Draw(32), Draw(48)};
    auto drawing = [&](int size) -> const Image& { return drawn[size / 16 - 1]; };

    bool ok = true;
    Bytes ico, group, alpha_group;
    Put16(ico, 0), Put16(ico, 1), Put16(ico, kImages.size());
    Put16(group, 0), Put16(group, 1), Put16(group, kImages.size());
    const auto alpha_images = static_cast<unsigned>(std::count_if(kImages.begin(), kImages.end(),
                                                                  [](const auto& image) { return image[1] == 32; }));
    Put16(alpha_group, 0), Put16(alpha_group, 1), Put16(alpha_group, alpha_images);
    std::vector<Bytes> images;
    for (const auto& [size, bits] : kImages) images.push_back(IconImage(drawing(size), bits));

    auto offset = static_cast<std::uint32_t>(6 + 16 * kImages.size());
    for (std::size_t i = 0; i < kImages.size(); ++i) {
        const auto [size, bits] = kImages[i];
        const auto bytes = static_cast<std::uint32_t>(images[i].size());
        for (Bytes* directory : {&ico, &group, &alpha_group}) {
            if (directory == &alpha_group && bits != 32) continue;
            directory->insert(directory->end(), {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size), 0, 0});
            Put16(*directory, 1);
            Put16(*directory, static_cast<unsigned>(bits));
            Put32(*directory, bytes);
            if (directory != &ico) Put16(*directory, static_cast<unsigned>(30001 + i));
        }
        Put32(ico, offset);
        offset += bytes;
        ok &= Write(folder + "/icon-" + std::to_string(30001 + i) + ".bin", images[i]);
    }
    for (const Bytes& image : images) ico.insert(ico.end(), image.begin(), image.end());
    ok &= Write(folder + "/vornhaskel.ico", ico);
    ok &= Write(folder + "/icon-group.bin", group);
    ok &= Write(folder + "/icon-group-alpha.bin", alpha_group);

    std::string rgba = "// Generated by make_icon: the application icon as straight RGBA rows.\n";
    for (const int size : {16, 32, 48}) {
        const Image& image = drawing(size);
        ok &= Write(folder + "/icon-" + std::to_string(size) + ".png", Png(image));
        rgba += "inline constexpr unsigned char kIcon" + std::to_string(size) + "[] = {";
        for (std::size_t i = 0; i < image.pixels.size(); ++i) {
            const Rgba& c = image.pixels[i];
            rgba += (i % 8 == 0 ? "\n   " : "");
            for (const std::uint8_t v : {Byte(c.r), Byte(c.g), Byte(c.b), Byte(c.a)}) rgba += " " + std::to_string(v) + ",";
        }
        rgba += "\n};\n";
    }
    std::ofstream(folder + "/icon_rgba.inc") << rgba;
    if (!ok) std::fprintf(stderr, "make_icon: cannot write to %s\n", folder.c_str());
    return ok ? 0 : 1;
}
