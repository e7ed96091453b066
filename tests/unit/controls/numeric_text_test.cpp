#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "controls/numeric_text.h"

namespace qv {
namespace {

TEST(NumericText, CurrencyParsing) {
  struct Case {
    const char* text;
    char sep;
    std::optional<std::int64_t> scaled;
  };
  const std::vector<Case> cases = {
      {"12.5", '.', 125000},
      {"  -0.0001 ", '.', -1},
      {"+3", '.', 30000},
      {".5", '.', 5000},
      {"5.", '.', 50000},
      {"1,25", ',', 12500},
      {"1.25", ',', std::nullopt},
      {"0.00005", '.', 1},  // halves round away from zero
      {"-0.00005", '.', -1},
      {"0.00004999", '.', 0},
      {"1e3", '.', 10000000},
      {"1.5E-2", '.', 150},
      {"922337203685477.5807", '.', INT64_MAX},
      {"-922337203685477.5808", '.', INT64_MIN},
      {"922337203685477.5808", '.', std::nullopt},
      {"1e400", '.', std::nullopt},
      {"0e400", '.', 0},
      {"1e-400", '.', 0},
      {"", '.', std::nullopt},
      {"-", '.', std::nullopt},
      {".", '.', std::nullopt},
      {"1e", '.', std::nullopt},
      {"1 2", '.', std::nullopt},
      {"1,000", '.', std::nullopt},
      {"abc", '.', std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = ParseCurrency(c.text, c.sep);
    if (c.scaled) {
      ASSERT_TRUE(got.has_value()) << c.text;
      EXPECT_EQ(got->Scaled, *c.scaled) << c.text;
    } else {
      EXPECT_FALSE(got.has_value()) << c.text;
    }
  }
}

TEST(NumericText, CurrencyFormatting) {
  struct Case {
    std::int64_t scaled;
    const char* text;
  };
  const std::vector<Case> cases = {{125000, "12.5"},
                                   {30000, "3"},
                                   {-1, "-0.0001"},
                                   {1234567, "123.4567"},
                                   {INT64_MIN, "-922337203685477.5808"},
                                   {INT64_MAX, "922337203685477.5807"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FormatCurrency(Currency{c.scaled}, '.'), AnsiString(c.text));
    EXPECT_EQ(ParseCurrency(FormatCurrency(Currency{c.scaled}, ',').view(), ',')->Scaled, c.scaled);
  }
}

}  // namespace
}  // namespace qv
