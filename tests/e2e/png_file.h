// Turns a 24-bit bottom-up BMP screenshot into a PNG file (deflate's stored blocks: no
// compression, but a file every image viewer opens).
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv::e2e {

namespace png_detail {

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

inline void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void Chunk(std::vector<std::uint8_t>& out, const char* type,
                  const std::vector<std::uint8_t>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const std::uint32_t crc = Crc32(out.data() + start, out.size() - start, 0xFFFFFFFFu);
  PutBig32(out, crc ^ 0xFFFFFFFFu);
}

}  // namespace png_detail

// Reads `bmpPath` (as the driver's SaveScreenshot writes it) and writes `pngPath`.
inline void BmpToPng(const std::string& bmpPath, const std::string& pngPath) {
  using namespace png_detail;
  std::ifstream in(bmpPath, std::ios::binary);
  const std::vector<std::uint8_t> bmp((std::istreambuf_iterator<char>(in)), {});
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') throw std::runtime_error("not a BMP");
  const auto le32 = [&bmp](std::size_t at) {
    return static_cast<std::int32_t>(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 |
                                     static_cast<std::uint32_t>(bmp[at + 3]) << 24);
  };
  const std::int32_t offset = le32(10), width = le32(18), height = le32(22);
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (width <= 0 || height <= 0 || bmp.size() < offset + stride * height) {
    throw std::runtime_error("unexpected BMP layout");
  }
  // Filter byte 0, then RGB, top row first.
  std::vector<std::uint8_t> raw;
  raw.reserve((static_cast<std::size_t>(width) * 3 + 1) * height);
  for (std::int32_t y = height - 1; y >= 0; --y) {
    raw.push_back(0);
    const std::uint8_t* row = bmp.data() + offset + stride * static_cast<std::size_t>(y);
    for (std::int32_t x = 0; x < width; ++x) {
      raw.push_back(row[x * 3 + 2]);
      raw.push_back(row[x * 3 + 1]);
      raw.push_back(row[x * 3]);
    }
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    if (raw.empty()) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(z, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBig32(header, static_cast<std::uint32_t>(width));
  PutBig32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  std::ofstream out(pngPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  if (!out) throw std::runtime_error("cannot write " + pngPath);
}

}  // namespace qv::e2e
