// The byte limit of the extended edit box, decided on the code page 932 lengths the window gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/edit_byte_limit.h"

namespace qv::test {
namespace {

// The lengths code page 932 gives: ASCII and half-width katakana one byte, the rest of the
// characters it knows two. A character outside the basic plane (a surrogate pair) is measured
// here as two bytes, so that half of it would fit where the whole does not.
std::size_t FakeCp932(std::u16string_view c) {
  if (c.size() == 2) return 2;
  const char16_t u = c[0];
  if (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) return 1;
  return 2;
}

std::u16string Repeat(std::u16string_view piece, int times) {
  std::u16string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

const std::u16string kFull = Repeat(u"A", 80);           // 80 bytes
const std::u16string kFullWide = Repeat(u"\u3042", 40);  // あ x 40: 80 bytes in 40 units
const std::u16string k79 = Repeat(u"A", 79);
const std::u16string k78 = Repeat(u"A", 78);
const std::u16string kSmile = u"\U0001F600";  // one surrogate pair

TEST(EditByteLimit, ZeroOrLessMeansNoLimit) {
  EXPECT_FALSE(LimitsBytes(0));
  EXPECT_FALSE(LimitsBytes(-1));
  EXPECT_TRUE(LimitsBytes(1));
  EXPECT_TRUE(LimitsBytes(80));
}

TEST(EditByteLimit, BytesBesideTheSelection) {
  struct Case {
    const char* name;
    std::u16string text;
    std::int32_t start, end;
    std::size_t bytes;
  };
  const std::vector<Case> cases = {
      {"empty field", u"", 0, 0, 0},
      {"caret only", u"AB\u3042\u3044", 2, 2, 6},
      {"one double-byte character selected", u"AB\u3042\u3044", 2, 3, 4},
      {"mixed selection", u"AB\u3042\u3044", 1, 3, 3},
      {"whole text selected", u"AB\u3042\u3044", 0, 4, 0},
      {"half-width katakana", u"\uFF71\uFF72", 0, 0, 2},
      {"selection beyond the text", u"ABC", 5, 9, 3},
      {"end before start", u"ABC", 2, 1, 3},
      {"negative start", u"ABC", -1, 1, 2},
      {"surrogate pair kept whole", u"A" + kSmile, 0, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BytesBesideSelection({c.text, c.start, c.end}, FakeCp932), c.bytes);
  }
}

TEST(EditByteLimit, TypedCharacter) {
  struct Case {
    const char* name;
    std::u16string text;
    std::int32_t start, end, maxLength;
    char16_t typed;
    bool fits;
  };
  const std::vector<Case> cases = {
      {"empty field", u"", 0, 0, 80, u'A', true},
      {"empty field, double-byte", u"", 0, 0, 80, u'\u3042', true},
      {"full field", kFull, 80, 80, 80, u'A', false},
      {"full of double-byte characters", kFullWide, 40, 40, 80, u'A', false},
      {"one byte left, single-byte", k79, 79, 79, 80, u'A', true},
      {"one byte left, half-width katakana", k79, 79, 79, 80, u'\uFF71', true},
      {"one byte left, double-byte", k79, 79, 79, 80, u'\u3042', false},
      {"two bytes left, double-byte", k78, 78, 78, 80, u'\u3042', true},
      {"full, one single-byte character selected, typed single-byte", kFull, 3, 4, 80, u'B', true},
      {"full, one single-byte character selected, typed double-byte", kFull, 3, 4, 80, u'\u3042',
       false},
      {"full, one double-byte character selected", kFullWide, 0, 1, 80, u'\u3044', true},
      {"full, whole text selected", kFull, 0, 80, 80, u'\u3042', true},
      {"full, backspace", kFull, 80, 80, 80, u'\b', true},
      {"full, Ctrl+V", kFull, 80, 80, 80, u'\x16', true},
      {"no limit", Repeat(u"\u3042", 200), 200, 200, 0, u'A', true},
      {"text already beyond the limit", Repeat(u"A", 90), 0, 5, 80, u'A', false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TypedCharFits({c.text, c.start, c.end}, c.maxLength, c.typed, FakeCp932), c.fits);
  }
}

TEST(EditByteLimit, PastedText) {
  struct Case {
    const char* name;
    std::u16string text;
    std::int32_t start, end, maxLength;
    std::u16string pasted;
    std::size_t units;
    bool shortened;
  };
  const std::vector<Case> cases = {
      {"empty field", u"", 0, 0, 80, u"XYZ", 3, false},
      {"empty paste", u"AB", 0, 2, 80, u"", 0, false},
      {"fills the field exactly", u"", 0, 0, 80, kFullWide, 40, false},
      {"longer than the room", u"", 0, 0, 80, kFullWide + u"\u3042", 40, true},
      {"after text, up to the last whole double-byte character", u"12", 2, 2, 80,
       u"A" + Repeat(u"\u5171", 50), 39, true},
      {"one byte of room and a double-byte character", k79, 79, 79, 80, u"\u3042A", 0, true},
      {"one byte of room and a single-byte character first", k79, 79, 79, 80, u"B\u3042", 1, true},
      {"full field", kFull, 80, 80, 80, u"A", 0, true},
      {"full field, selection replaced", kFull, 10, 20, 80, Repeat(u"\u3042", 6), 5, true},
      {"full field, whole text replaced", kFullWide, 0, 40, 80, kFull, 80, false},
      {"surrogate pair is not split", k78, 78, 78, 80, u"A" + kSmile, 1, true},
      {"surrogate pair that fits", k78, 78, 78, 80, kSmile + u"A", 2, true},
      {"first line only (LF)", u"", 0, 0, 80, u"ab\ncd", 2, false},
      {"first line only (CR LF)", u"", 0, 0, 80, u"ab\r\ncd", 2, false},
      {"first line only (CR)", u"", 0, 0, 80, u"ab\rcd", 2, false},
      {"line break first", u"AB", 0, 2, 80, u"\r\nabc", 0, false},
      {"second line does not count as shortened", k78, 78, 78, 80, u"AB\nCDE", 2, false},
      {"first line too long", k78, 78, 78, 80, u"ABC\nD", 2, true},
      {"no limit", Repeat(u"A", 300), 300, 300, 0, Repeat(u"\u3042", 100) + u"\nx", 100, false},
      {"text already beyond the limit", Repeat(u"A", 90), 0, 5, 80, u"A", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PasteFit fit = FitPaste({c.text, c.start, c.end}, c.maxLength, c.pasted, FakeCp932);
    EXPECT_EQ(fit.units, c.units);
    EXPECT_EQ(fit.shortened, c.shortened);
  }
}

// The window is asked for whole characters, and no further into a long paste than the room
// reaches.
TEST(EditByteLimit, MeasuresWholeCharactersAndStopsAtTheLimit) {
  std::vector<std::u16string> asked;
  const Cp932Measure recording = [&](std::u16string_view c) {
    asked.emplace_back(c);
    return FakeCp932(c);
  };
  const PasteFit fit =
      FitPaste({u"", 0, 0}, 4, u"A" + kSmile + u"\u3042" + Repeat(u"B", 10000), recording);
  EXPECT_EQ(fit.units, 3u);
  EXPECT_TRUE(fit.shortened);
  const std::vector<std::u16string> expected = {u"A", kSmile, u"\u3042"};
  EXPECT_EQ(asked, expected);
}

// Whatever route the text took, the field's text stays within the limit: the last text that
// fitted comes back, and the caret stands where the refused change began.
TEST(EditByteLimit, ChangedTextOverTheLimitGivesWayToTheLastThatFitted) {
  struct Case {
    const char* name;
    std::u16string lastFitting, changed;
    std::int32_t maxLength;
    bool fits;
    std::u16string restored;
    std::int32_t caret;
  };
  const std::u16string kVelto = u"VeltoData";
  const std::vector<Case> cases = {
      {"set text that fits exactly", kVelto, kFullWide, 80, true, u"", 0},
      {"set text over by one byte", kVelto, kFull + u"A", 80, false, kVelto, 0},
      {"set text of 41 double-byte characters", kVelto, kFullWide + u"\u3042", 80, false, kVelto,
       0},
      {"set text, Japanese, 101 bytes", u"", u"A" + Repeat(u"\u3042", 50), 80, false, u"", 0},
      {"paste into the middle, one byte over", k78 + u"B", k78 + u"XYB", 80, false, k78 + u"B", 78},
      {"input method result at the end, double-byte over the boundary", k79, k79 + u"\u5171", 80,
       false, k79, 79},
      {"input method result of single bytes that fits", k78, k78 + u"AB", 80, true, u"", 0},
      {"double-byte text, one character more", Repeat(u"\u3042", 39) + u"A",
       Repeat(u"\u3042", 39) + u"AB", 80, true, u"", 0},
      {"double-byte text, one byte over", Repeat(u"\u3042", 39) + u"A",
       Repeat(u"\u3042", 39) + u"A\u3042", 80, false, Repeat(u"\u3042", 39) + u"A", 40},
      {"caret not inside a surrogate pair", k78 + kSmile, k78 + u"\U0001F601" + u"A", 80, false,
       k78 + kSmile, 78},
      {"last text no longer fits: whole characters of the change", Repeat(u"A", 10),
       Repeat(u"\u3042", 6), 5, false, Repeat(u"\u3042", 2), 2},
      {"last text no longer fits: a pair is not split", Repeat(u"A", 10), u"AAA" + kSmile, 4, false,
       u"AAA", 3},
      {"no limit", u"", Repeat(u"\u3042", 300), 0, true, u"", 0},
      {"emptied", kVelto, u"", 80, true, u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChangedTextFit fit = FitChangedText(c.lastFitting, c.changed, c.maxLength, FakeCp932);
    EXPECT_EQ(fit.fits, c.fits);
    EXPECT_EQ(fit.restored, c.restored);
    EXPECT_EQ(fit.caret, c.caret);
  }
}

}  // namespace
}  // namespace qv::test
