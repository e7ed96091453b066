// Draws qvsetshare.ico: an amber folder on a network cable (a folder shared on the network).
// Every size is drawn on its own, with edges snapped to whole pixels so the small sizes stay crisp,
// and anti-aliased by supersampling. Output: a .ico with 32-bit BGRA images and AND masks for the
// sizes the program and the shell draw small, and PNG images (Windows Vista and later read them)
// for the large ones, which would otherwise be most of the program's size.
//
// Usage: make_icon <out.ico>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <zlib.h>

namespace {

constexpr std::array<int, 8> kSizes = {16, 24, 32, 48, 64, 72, 96, 128};
constexpr int kSamples = 16;  // per axis and pixel

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;  // premultiplied, 0..1
};

struct Color {
  int r, g, b;
};

// Signed distance (negative inside) of a point to a shape, in pixels.
using Shape = std::function<double(double x, double y)>;

Shape RoundBox(double left, double top, double right, double bottom, double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double hx = (right - left) / 2, hy = (bottom - top) / 2;
  radius = std::min({radius, hx, hy});
  return [=](double x, double y) {
    const double qx = std::abs(x - cx) - (hx - radius);
    const double qy = std::abs(y - cy) - (hy - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
  };
}

Shape Grow(Shape shape, double by) {
  return [=](double x, double y) { return shape(x, y) - by; };
}

Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

// Fill colour as a function of the pixel row, for vertical gradients.
using Paint = std::function<Color(double y)>;

Paint Solid(Color c) {
  return [=](double) { return c; };
}

Paint Gradient(double top, Color from, double bottom, Color to) {
  return [=](double y) {
    const double t = std::clamp((y - top) / std::max(bottom - top, 1.0), 0.0, 1.0);
    auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return Color{mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)};
  };
}

class Canvas {
 public:
  explicit Canvas(int size) : size_(size), pixels_(static_cast<size_t>(size) * size) {}

  // Paints the shape over what is there, with coverage from kSamples x kSamples samples.
  void Fill(const Shape& shape, const Paint& paint, double opacity = 1.0) {
    for (int py = 0; py < size_; ++py) {
      for (int px = 0; px < size_; ++px) {
        int inside = 0;
        for (int sy = 0; sy < kSamples; ++sy) {
          for (int sx = 0; sx < kSamples; ++sx) {
            const double x = px + (sx + 0.5) / kSamples;
            const double y = py + (sy + 0.5) / kSamples;
            if (shape(x, y) <= 0) ++inside;
          }
        }
        if (inside == 0) continue;
        const double a = opacity * inside / (kSamples * kSamples);
        const Color c = paint(py + 0.5);
        Rgba& dst = pixels_[static_cast<size_t>(py) * size_ + px];
        dst.r = c.r / 255.0 * a + dst.r * (1 - a);
        dst.g = c.g / 255.0 * a + dst.g * (1 - a);
        dst.b = c.b / 255.0 * a + dst.b * (1 - a);
        dst.a = a + dst.a * (1 - a);
      }
    }
  }

  // Straight (not premultiplied) BGRA rows, top row first.
  std::vector<uint8_t> Bgra() const {
    std::vector<uint8_t> out;
    out.reserve(pixels_.size() * 4);
    for (const Rgba& p : pixels_) {
      const auto byte = [](double v) {
        return static_cast<uint8_t>(std::clamp(std::lround(v * 255), 0L, 255L));
      };
      const uint8_t alpha = byte(p.a);
      if (alpha == 0) {
        out.insert(out.end(), {0, 0, 0, 0});
        continue;
      }
      out.insert(out.end(), {byte(p.b / p.a), byte(p.g / p.a), byte(p.r / p.a), alpha});
    }
    return out;
  }

  int size() const { return size_; }

 private:
  int size_;
  std::vector<Rgba> pixels_;
};

constexpr Color kOutline{138, 88, 12};
constexpr Color kBackTop{236, 168, 44}, kBackBottom{214, 138, 26};
constexpr Color kFrontTop{255, 218, 106}, kFrontBottom{246, 180, 52};
constexpr Color kFrontHighlight{255, 238, 178};
constexpr Color kPaper{255, 255, 255}, kPaperEdge{196, 196, 196};
constexpr Color kNetOutline{22, 64, 140};
constexpr Color kNetTop{84, 150, 240}, kNetBottom{36, 98, 204};

void DrawIcon(Canvas& canvas) {
  const double s = canvas.size();
  // Edges sit on whole pixels: the design is laid out on a 32-unit grid and rounded per size.
  const auto at = [s](double unit) { return std::round(unit * s / 32.0); };
  const double stroke = std::max(1.0, std::round(s / 28.0));
  const double radius = std::max(1.0, s / 20.0);

  // Folder: back panel with its tab, a sheet of paper, and the front panel.
  const double left = at(2), right = s - left;
  const double tabTop = at(3), backTop = at(6), frontTop = at(10), folderBottom = at(20.5);
  const double tabRight = at(13);
  const Shape tab = RoundBox(left, tabTop, tabRight, backTop + radius * 2, radius);
  const Shape back = RoundBox(left, backTop, right, folderBottom, radius);
  const Shape backWhole = Union(tab, back);
  canvas.Fill(Grow(backWhole, stroke), Solid(kOutline));
  canvas.Fill(backWhole, Gradient(tabTop, kBackTop, folderBottom, kBackBottom));

  if (s >= 32) {
    const Shape paper = RoundBox(at(5), at(8), s - at(5), folderBottom, radius / 2);
    canvas.Fill(Grow(paper, stroke / 2), Solid(kPaperEdge));
    canvas.Fill(paper, Solid(kPaper));
  }

  const Shape front = RoundBox(left, frontTop, right, folderBottom, radius);
  canvas.Fill(Grow(front, stroke), Solid(kOutline));
  canvas.Fill(front, Gradient(frontTop, kFrontTop, folderBottom, kFrontBottom));
  if (s >= 32) {
    const Shape shine = RoundBox(left + stroke, frontTop, right - stroke, frontTop + stroke, 0);
    canvas.Fill(shine, Solid(kFrontHighlight), 0.9);
  }

  // Network: a cable down from the folder to a hub on the line that joins the other computers.
  // The small sizes have no room for an outline; the darker blue carries the shape there.
  const double centre = s / 2;
  const double netStroke = s >= 32 ? stroke : 0;
  const double cableHalf = std::max(1.0, std::round(s / 32.0));
  const double lineTop = at(26), lineBottom = lineTop + std::max(2.0, at(2));
  const double lineMid = (lineTop + lineBottom) / 2;
  const Shape cable = RoundBox(centre - cableHalf, folderBottom, centre + cableHalf, lineMid, 0);
  const Shape line = RoundBox(at(3), lineTop, s - at(3), lineBottom, netStroke > 0 ? 1.0 : 0.0);
  const double hubHalf = std::max(2.0, at(4));
  const double hubTop = lineMid - std::round(hubHalf * 0.75);
  const double hubBottom = lineMid + std::round(hubHalf * 0.75);
  const Shape hub = RoundBox(centre - hubHalf, hubTop, centre + hubHalf, hubBottom, radius / 2);
  const Shape network = Union(Union(cable, line), hub);
  if (netStroke > 0) canvas.Fill(Grow(network, netStroke), Solid(kNetOutline));
  canvas.Fill(network, netStroke > 0 ? Gradient(hubTop, kNetTop, hubBottom, kNetBottom)
                                     : Gradient(hubTop, kNetBottom, hubBottom, kNetOutline));
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), BGRA rows bottom-up, then
// the 1-bit AND mask, whose rows are padded to 32 bits. The mask marks fully transparent pixels.
std::vector<uint8_t> IconImage(const Canvas& canvas) {
  const int n = canvas.size();
  const std::vector<uint8_t> bgra = canvas.Bgra();
  const uint32_t maskStride = ((n + 31) / 32) * 4;
  const uint32_t xorBytes = static_cast<uint32_t>(n) * n * 4;
  const uint32_t andBytes = maskStride * n;

  std::vector<uint8_t> out;
  Put32(out, 40);
  Put32(out, n);
  Put32(out, 2 * n);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, xorBytes + andBytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = n - 1; y >= 0; --y) {
    const auto row = bgra.begin() + static_cast<ptrdiff_t>(y) * n * 4;
    out.insert(out.end(), row, row + n * 4);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> mask(maskStride, 0);
    for (int x = 0; x < n; ++x) {
      if (bgra[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0) mask[x / 8] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), mask.begin(), mask.end());
  }
  return out;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, static_cast<uint32_t>(
                    crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// One icon image as a PNG: 8-bit RGBA, rows top-down, no filter, zlib at its best compression
// (the same bytes on every run, so the build stays reproducible).
std::vector<uint8_t> PngImage(const Canvas& canvas) {
  const int n = canvas.size();
  const std::vector<uint8_t> bgra = canvas.Bgra();
  std::vector<uint8_t> raw;
  for (int y = 0; y < n; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < n; ++x) {
      const uint8_t* p = &bgra[(static_cast<size_t>(y) * n + x) * 4];
      raw.insert(raw.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
      Z_OK) {
    throw std::runtime_error("cannot compress a PNG image");
  }
  packed.resize(packedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(header, static_cast<uint32_t>(n));
  PutBig32(header, static_cast<uint32_t>(n));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  PngChunk(out, "IHDR", header);
  PngChunk(out, "IDAT", packed);
  PngChunk(out, "IEND", {});
  return out;
}

// Sizes from here up are stored as PNG.
constexpr int kSmallestPng = 64;

std::vector<uint8_t> IconFile() {
  std::vector<std::vector<uint8_t>> images;
  for (int size : kSizes) {
    Canvas canvas(size);
    DrawIcon(canvas);
    images.push_back(size >= kSmallestPng ? PngImage(canvas) : IconImage(canvas));
  }
  std::vector<uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(kSizes[i]));  // width (every size here is below 256)
    out.push_back(static_cast<uint8_t>(kSizes[i]));  // height
    out.push_back(0);                                // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_icon <out.ico>\n";
    return 2;
  }
  const std::vector<uint8_t> ico = IconFile();
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  file.close();
  if (!file) {
    std::cerr << "make_icon: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
