#include <random>
#include <string>

#include <gtest/gtest.h>

#include "share/share_name_fitting.h"

namespace qv {
namespace {

AnsiString Bytes(std::initializer_list<int> values) {
  AnsiString s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

const AnsiString kKyouyuuFolder =
    Bytes({0x8B, 0xA4, 0x97, 0x4C, 0x83, 0x74, 0x83, 0x48, 0x83, 0x8B, 0x83, 0x5F});

TEST(FitShareNameTest, Table) {
  struct Case {
    const char* why;
    AnsiString text;
    int limit;
    AnsiString expected;
  } cases[] = {
      {"cut to the limit", "ABCDEFGH", 6, "ABCDEF"},
      {"shorter than the limit: trimmed", Bytes({0x20, 0x20, 0x8B, 0xA4, 0x97, 0x4C, 0x20}), 10,
       Bytes({0x8B, 0xA4, 0x97, 0x4C})},
      {"exactly at the limit: kept whole", kKyouyuuFolder, 12, kKyouyuuFolder},
      {"exactly at the limit: blanks kept", "  AB  ", 6, "  AB  "},
      {"cut between two characters", kKyouyuuFolder, 6,
       Bytes({0x8B, 0xA4, 0x97, 0x4C, 0x83, 0x74})},
      {"cut leaves a lead byte last", kKyouyuuFolder, 5, Bytes({0x8B, 0xA4, 0x97, 0x4C, 0x20})},
      {"trail byte in the lead range", Bytes({0x89, 0xEF, 0x8C, 0x76}), 3,
       Bytes({0x89, 0xEF, 0x20})},
      {"half-width katakana never blanked", Bytes({0xB1, 0xB2, 0xB3, 0xB4, 0xB5}), 3,
       Bytes({0xB1, 0xB2, 0xB3})},
      {"limit 0", "ABC", 0, ""},
      {"negative limit", "ABC", -5, ""},
      {"empty text", "", 80, ""},
      {"only blanks and control bytes", Bytes({0x20, 0x09, 0x00, 0x0D, 0x20}), 80, ""},
      {"broken pair inside a short text", Bytes({0x41, 0x82, 0x31, 0x42}), 80,
       Bytes({0x41, 0x20, 0x20, 0x42})},
      {"trimmed text ending in a lead byte", Bytes({0x20, 0x41, 0x82, 0x20}), 80,
       Bytes({0x41, 0x20})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(FitShareName(c.text, c.limit), c.expected);
  }
}

TEST(BlankBrokenDbcsTest, Table) {
  struct Case {
    AnsiString text, expected;
  } cases[] = {
      {Bytes({0x41, 0x82, 0x20, 0x42}), Bytes({0x41, 0x20, 0x20, 0x42})},
      {Bytes({0x82, 0x41}), Bytes({0x82, 0x41})},
      {Bytes({0x82, 0x7F, 0x82}), Bytes({0x20, 0x20, 0x20})},
      {Bytes({0x82, 0x82}), Bytes({0x82, 0x82})},
      {Bytes({0x82, 0xFD}), Bytes({0x20, 0x20})},
      {Bytes({0xE0, 0x3F, 0xFC, 0xFC}), Bytes({0x20, 0x20, 0xFC, 0xFC})},
      {Bytes({0xA0, 0xDF, 0xFD, 0xFF, 0x7F}), Bytes({0xA0, 0xDF, 0xFD, 0xFF, 0x7F})},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(BlankBrokenDbcs(c.text), c.expected);
  }
}

TEST(ByteClassTest, BoundariesOfCodePage932) {
  struct Case {
    int byte;
    bool lead, trail;
  } cases[] = {
      {0x00, false, false}, {0x3F, false, false}, {0x40, false, true},  {0x7E, false, true},
      {0x7F, false, false}, {0x80, false, true},  {0x81, true, true},   {0x9F, true, true},
      {0xA0, false, true},  {0xA1, false, true},  {0xDF, false, true},  {0xE0, true, true},
      {0xFC, true, true},   {0xFD, false, false}, {0xFF, false, false}, {0x5C, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.byte);
    EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(c.byte)), c.lead);
    EXPECT_EQ(IsCp932TrailByte(static_cast<unsigned char>(c.byte)), c.trail);
  }
}

// Splits a text into characters by the framework's own reading and reports whether any
// character is half of one: a pair whose second byte is no trail byte, or a lone lead byte.
bool HoldsHalfCharacter(const AnsiString& s) {
  bool broken = false;
  ForEachCp932Char(s, [&](const AnsiString& ch) {
    unsigned char first = static_cast<unsigned char>(ch[0]);
    if (ch.size() == 2 && !IsCp932TrailByte(static_cast<unsigned char>(ch[1]))) broken = true;
    if (ch.size() == 1 && IsCp932LeadByte(first)) broken = true;
  });
  return broken;
}

AnsiString RandomBytes(std::mt19937& rng) {
  // Biased towards the interesting bytes: lead bytes, blanks, and bytes that fail the trail test.
  static const unsigned char kInteresting[] = {0x00, 0x09, 0x20, 0x31, 0x3F, 0x40, 0x41, 0x5C,
                                               0x7E, 0x7F, 0x80, 0x81, 0x82, 0x89, 0x9F, 0xA0,
                                               0xB1, 0xDF, 0xE0, 0xEF, 0xFC, 0xFD, 0xFE, 0xFF};
  std::uniform_int_distribution<int> length(0, 100);
  std::uniform_int_distribution<int> pick(0, 1);
  std::uniform_int_distribution<int> anyByte(0, 255);
  std::uniform_int_distribution<std::size_t> interesting(0, sizeof kInteresting - 1);
  std::string s(static_cast<std::size_t>(length(rng)), '\0');
  for (char& c : s) {
    c = static_cast<char>(pick(rng) ? anyByte(rng) : kInteresting[interesting(rng)]);
  }
  return AnsiString(std::move(s));
}

TEST(ShareNameFittingPropertyTest, RandomTextsAndLimits) {
  std::mt19937 rng(20240601);
  std::uniform_int_distribution<int> limits(-3, 110);
  for (int round = 0; round < 10000; ++round) {
    AnsiString text = RandomBytes(rng);
    int limit = limits(rng);
    SCOPED_TRACE(testing::PrintToString(text) + " limit " + std::to_string(limit));

    AnsiString blanked = BlankBrokenDbcs(text);
    ASSERT_EQ(blanked.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      ASSERT_TRUE(blanked[i] == text[i] || blanked[i] == ' ') << "byte " << i;
    }
    ASSERT_FALSE(HoldsHalfCharacter(blanked));
    ASSERT_EQ(BlankBrokenDbcs(blanked), blanked) << "a second pass changes nothing";

    AnsiString fitted = FitShareName(text, limit);
    ASSERT_LE(static_cast<long>(fitted.size()), std::max(limit, 0));
    ASSERT_FALSE(HoldsHalfCharacter(fitted));
    if (static_cast<long>(text.size()) >= limit && limit > 0) {
      ASSERT_EQ(fitted.size(), static_cast<std::size_t>(limit)) << "a cut keeps every byte place";
    }
  }
}

TEST(ShareNameFittingPropertyTest, WholeCharactersAreNeverTouched) {
  // Texts built from whole characters only come back unchanged.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> single(0x21, 0x7E), lead(0x81, 0x9F), trail(0x40, 0xFC);
  std::uniform_int_distribution<int> kind(0, 1);
  for (int round = 0; round < 2000; ++round) {
    AnsiString text;
    for (int i = 0; i < 30; ++i) {
      if (kind(rng)) {
        text.push_back(static_cast<char>(single(rng)));
      } else {
        int t = trail(rng);
        if (t == 0x7F) t = 0x80;
        text.push_back(static_cast<char>(lead(rng)));
        text.push_back(static_cast<char>(t));
      }
    }
    ASSERT_EQ(BlankBrokenDbcs(text), text) << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace qv
