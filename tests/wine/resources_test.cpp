// The resources of qvsetshare.exe, read back from the built file with the system's own
// version, resource and icon functions.
#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "win/framework/gdi.h"

namespace {

// The build gives the exe's Linux path; Wine shows the Unix root as drive Z:.
std::wstring ExePath() {
  std::wstring path = L"Z:";
  for (const char* c = QV_EXE_PATH; *c; ++c) path.push_back(*c == '/' ? L'\\' : wchar_t(*c));
  return path;
}

using qv::win::UniqueBitmap;
using qv::win::UniqueIcon;
using UniqueModule = qv::win::UniqueLibrary;

std::vector<uint8_t> VersionInfo() {
  const std::wstring path = ExePath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  EXPECT_NE(size, 0u) << "GetFileVersionInfoSizeW error " << GetLastError();
  std::vector<uint8_t> block(size);
  if (size != 0) {
    EXPECT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        << "GetFileVersionInfoW error " << GetLastError();
  }
  return block;
}

std::wstring VersionString(std::vector<uint8_t>& block, const std::wstring& name) {
  const std::wstring query = L"\\StringFileInfo\\041103a4\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || value == nullptr) {
    ADD_FAILURE() << "no version string " << std::string(name.begin(), name.end());
    return {};
  }
  // The length counts the terminating zero.
  std::wstring text(static_cast<const wchar_t*>(value), length);
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

// A resource of the exe, loaded as data (nothing of it runs).
class ExeResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_.reset(LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module_) << "LoadLibraryExW error " << GetLastError();
  }

  std::vector<uint8_t> Resource(LPCWSTR name, LPCWSTR type) {
    HRSRC info = FindResourceW(module_.get(), name, type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module_.get(), info);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (!data) return {};
    return std::vector<uint8_t>(data, data + SizeofResource(module_.get(), info));
  }

  UniqueModule module_;
};

TEST(VersionResource, FixedFileInfoGivesFileAndProductVersion) {
  auto block = VersionInfo();
  ASSERT_FALSE(block.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(0, 1));  // 1.0
  EXPECT_EQ(fixed.dwFileVersionLS, MAKELONG(0, 1));  // .1.0
  EXPECT_EQ(fixed.dwProductVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed.dwProductVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(VersionResource, StringsOfTheJapaneseBlock) {
  auto block = VersionInfo();
  ASSERT_FALSE(block.empty());
  const struct {
    const wchar_t* name;
    const wchar_t* expected;
  } kStrings[] = {
      {L"FileVersion", L"1.0.1.0"},
      {L"ProductVersion", L"1.0"},
      {L"ProductName", L"共有フォルダの設定"},
      {L"Comments", L"共有フォルダの設定をおこなう。"},
      {L"FileDescription", L"共有フォルダの設定"},
      {L"OriginalFilename", L"qvsetshare.exe"},
  };
  for (const auto& s : kStrings) {
    EXPECT_EQ(VersionString(block, s.name), s.expected)
        << std::string(s.name, s.name + wcslen(s.name));
  }
}

TEST(VersionResource, TranslationIsJapaneseCodePage932Only) {
  auto block = VersionInfo();
  ASSERT_FALSE(block.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);  // exactly one language / code page pair
  WORD pair[2];
  std::memcpy(pair, value, sizeof pair);
  EXPECT_EQ(pair[0], 0x0411);
  EXPECT_EQ(pair[1], 932);
}

TEST_F(ExeResources, ManifestAsksForAdministratorRights) {
  const auto bytes = Resource(MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_FALSE(bytes.empty()) << "no RT_MANIFEST resource 1";
  const std::string manifest(bytes.begin(), bytes.end());
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos) << manifest;
}

// GRPICONDIR: reserved, type 1, count; then 14-byte entries (width, height, colours, reserved,
// planes, bit count, bytes in resource, RT_ICON id).
struct GroupEntry {
  int width, height, bitCount;
  uint16_t iconId;
};

std::vector<GroupEntry> ParseGroup(const std::vector<uint8_t>& group) {
  const auto word = [&](size_t at) {
    return static_cast<uint16_t>(group[at] | group[at + 1] << 8);
  };
  std::vector<GroupEntry> entries;
  if (group.size() < 6 || word(2) != 1) return entries;
  const size_t count = word(4);
  if (group.size() < 6 + count * 14) return entries;
  for (size_t i = 0; i < count; ++i) {
    const size_t e = 6 + i * 14;
    entries.push_back({group[e] == 0 ? 256 : group[e], group[e + 1] == 0 ? 256 : group[e + 1],
                       word(e + 6), word(e + 12)});
  }
  return entries;
}

TEST_F(ExeResources, IconGroupHoldsTheEightSizesAt32Bits) {
  const auto group = Resource(MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_FALSE(group.empty()) << "no RT_GROUP_ICON resource 1";
  const auto entries = ParseGroup(group);
  std::set<int> sizes;
  for (const auto& e : entries) {
    EXPECT_EQ(e.width, e.height);
    EXPECT_EQ(e.bitCount, 32) << "size " << e.width;
    sizes.insert(e.width);
  }
  EXPECT_EQ(entries.size(), 8u);
  EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 72, 96, 128}));
}

// Each image is one the system accepts as an icon of its size, with a real alpha channel: opaque
// in the middle of the drawing, transparent in the top right corner (the folder's tab is left).
// The small sizes are 32-bit bitmaps with an AND mask; from 64 pixels up they are PNG images,
// which keep the program small. Either way the system must load each one with its alpha.
TEST_F(ExeResources, EveryIconImageLoadsWithAlpha) {
  const auto entries = ParseGroup(Resource(MAKEINTRESOURCEW(1), RT_GROUP_ICON));
  ASSERT_EQ(entries.size(), 8u);
  static const unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const auto& e : entries) {
    SCOPED_TRACE("size " + std::to_string(e.width));
    auto image = Resource(MAKEINTRESOURCEW(e.iconId), RT_ICON);
    const size_t n = static_cast<size_t>(e.width);
    const bool png =
        image.size() > 24 && std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0;
    EXPECT_EQ(png, e.width >= 64);
    if (png) {
      // IHDR: width and height (big-endian), 8 bits per channel, colour type 6 (RGBA).
      auto big32 = [&](size_t at) {
        return (uint32_t{image[at]} << 24) | (uint32_t{image[at + 1]} << 16) |
               (uint32_t{image[at + 2]} << 8) | image[at + 3];
      };
      EXPECT_EQ(big32(16), n);
      EXPECT_EQ(big32(20), n);
      EXPECT_EQ(image[24], 8);
      EXPECT_EQ(image[25], 6);
    } else {
      ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
      BITMAPINFOHEADER header;
      std::memcpy(&header, image.data(), sizeof header);
      EXPECT_EQ(header.biWidth, e.width);
      EXPECT_EQ(header.biHeight, 2 * e.width);  // colour rows plus mask rows
      EXPECT_EQ(header.biBitCount, 32);
      const size_t maskBytes = ((n + 31) / 32) * 4 * n;
      ASSERT_EQ(image.size(), sizeof header + n * n * 4 + maskBytes);
    }

    UniqueIcon icon(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                             0x00030000, e.width, e.width, LR_DEFAULTCOLOR));
    ASSERT_TRUE(icon) << "CreateIconFromResourceEx error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    const UniqueBitmap colourBitmap(info.hbmColor), maskBitmap(info.hbmMask);
    BITMAP colour{};
    ASSERT_TRUE(GetObjectW(colourBitmap.get(), sizeof colour, &colour));
    EXPECT_EQ(colour.bmWidth, e.width);
    EXPECT_EQ(colour.bmHeight, e.width);
    EXPECT_EQ(colour.bmBitsPixel, 32);

    // The loaded colours keep their alpha: a transparent corner and an opaque middle.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = e.width;
    bi.bmiHeader.biHeight = -e.width;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint8_t> pixels(n * n * 4);
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDIBits(screen, colourBitmap.get(), 0, e.width, pixels.data(), &bi, DIB_RGB_COLORS),
              e.width);
    ReleaseDC(nullptr, screen);
    const auto alpha = [&](size_t x, size_t y) { return pixels[(y * n + x) * 4 + 3]; };
    EXPECT_EQ(alpha(n - 1, 0), 0);
    EXPECT_EQ(alpha(n / 2, n / 2), 255);
  }
}

}  // namespace
