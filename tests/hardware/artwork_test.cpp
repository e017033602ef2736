#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hardware/glyphs.h"
#include "hardware/screen.h"
#include "support/screen_probe.h"

namespace zen {
namespace {

using Rows8 = std::array<std::uint8_t, 8>;

Rows8 tile(int index) {
  Rows8 rows{};
  for (int r = 0; r < 8; ++r) rows[r] = GlyphTable8[index * 8 + r];
  return rows;
}
Rows8 glyph(int code) { return tile(glyph8Index(code)); }
bool blank(const Rows8& rows) { return rows == Rows8{}; }

// --- start-up logo ---

struct DecodedLogo {
  std::vector<std::array<std::uint8_t, 40>> lines;
  std::vector<bool> repeated;
  std::size_t consumed = 0;
  std::string fault;
};

// Follows the run-length code strictly: any overrun is reported, not clipped.
DecodedLogo decodeLogo(const std::array<std::uint8_t, BuiltInLogoLength>& code) {
  DecodedLogo d;
  std::size_t pos = 0;
  while (pos < code.size() && d.fault.empty()) {
    std::array<std::uint8_t, 40> line{};
    if (code[pos] == 0) {
      if (d.lines.empty())
        d.fault = "first line repeats a line above it";
      else
        line = d.lines.back();
      ++pos;
      d.lines.push_back(line);
      d.repeated.push_back(true);
      continue;
    }
    int x = 0;
    for (;;) {
      if (pos >= code.size()) {
        d.fault = "line " + std::to_string(d.lines.size()) + " has no end";
        break;
      }
      const std::uint8_t b = code[pos++];
      if (b == 0) break;
      const int n = b & 127;
      if (x + n > 40) {
        d.fault = "line " + std::to_string(d.lines.size()) + " runs past 40 bytes";
        break;
      }
      for (int i = 0; i < n; ++i) {
        if (b < 128) {
          line[x++] = 0;
        } else if (pos < code.size()) {
          line[x++] = code[pos++];
        } else {
          d.fault = "literal runs past the end";
          break;
        }
      }
    }
    if (d.fault.empty() && x != 40)
      d.fault = "line " + std::to_string(d.lines.size()) + " covers only part of the width";
    d.lines.push_back(line);
    d.repeated.push_back(false);
  }
  d.consumed = pos;
  return d;
}

TEST(StartLogo, CodesExactly120FullLinesInTheWholeLength) {
  const DecodedLogo d = decodeLogo(BuiltInStartLogo);
  ASSERT_EQ(d.fault, "");
  EXPECT_EQ(d.lines.size(), 120u);
  EXPECT_EQ(d.consumed, BuiltInLogoLength);
}

TEST(StartLogo, RowsEqualToTheRowAboveUseTheRepeatLine) {
  const DecodedLogo d = decodeLogo(BuiltInStartLogo);
  ASSERT_EQ(d.fault, "");
  int repeats = 0;
  for (std::size_t y = 1; y < d.lines.size(); ++y) {
    if (d.repeated[y])
      ++repeats;
    else
      EXPECT_NE(d.lines[y], d.lines[y - 1]) << "line " << y << " is coded in full but repeats the one above";
  }
  EXPECT_GT(repeats, 0);
}

TEST(StartLogo, ScreenDrawsTheDecodedPictureWithInkOnBothHalves) {
  const DecodedLogo d = decodeLogo(BuiltInStartLogo);
  ASSERT_EQ(d.fault, "");
  ASSERT_EQ(d.lines.size(), 120u);
  auto screen = std::make_unique<Screen>();
  screen->drawStartLogo();
  int inkLeft = 0, inkRight = 0;
  for (int y = 0; y < 120; ++y) {
    for (int c = 0; c < 40; ++c) {
      ASSERT_EQ(test::textByte(*screen, c, y), d.lines[y][c]) << "line " << y << " byte " << c;
      if (d.lines[y][c]) ++(c < 20 ? inkLeft : inkRight);
    }
  }
  EXPECT_GT(inkLeft, 100);
  EXPECT_GT(inkRight, 100);
}

// --- 8 x 8 table ---

TEST(GlyphTable8, BarCellsFillFromTheLeftAtBothHeights) {
  struct Case {
    const char* name;
    int (*index)(int);
  };
  const Case cases[] = {{"normal height", glyph8Index}, {"double height", glyph8IndexDoubleHeight}};
  for (const Case& c : cases) {
    for (int n = 0; n <= 8; ++n) {
      const int code = 128 + n;
      const int columns = n == 8 ? 7 : n;  // 136 is drawn like 135
      const std::uint8_t expected = static_cast<std::uint8_t>(0xFF00 >> columns);
      for (int r = 0; r < 8; ++r)
        EXPECT_EQ(GlyphTable8[c.index(code) * 8 + r], expected) << c.name << " code " << code << " row " << r;
    }
  }
}

TEST(GlyphTable8, PrintableAsciiHasInkAndSpaceHasNone) {
  EXPECT_TRUE(blank(glyph(' ')));
  std::set<Rows8> seen;
  for (int code = 33; code <= 126; ++code) {
    EXPECT_FALSE(blank(glyph(code))) << "code " << code;
    EXPECT_TRUE(seen.insert(glyph(code)).second) << "code " << code << " looks like an earlier one";
  }
}

TEST(GlyphTable8, AsciiLeavesAGapToTheRightAndBelow) {
  const std::string reachesBelow = ",_|gjpqy";
  for (int code = 32; code <= 127; ++code) {
    const Rows8 g = glyph(code);
    for (int r = 0; r < 8; ++r) EXPECT_EQ(g[r] & 1, 0) << "code " << code << " touches the next cell";
    if (reachesBelow.find(static_cast<char>(code)) == std::string::npos) {
      EXPECT_EQ(g[7], 0) << "code " << code << " touches the line below";
    }
  }
}

TEST(GlyphTable8, LargeDigitsAreDistinctAndBlankCellIsEmpty) {
  auto cell = [](int c) {
    std::array<std::uint8_t, 16> rows{};
    const Rows8 up = glyph(largeDigitUpper(c)), low = glyph(largeDigitLower(c));
    for (int r = 0; r < 8; ++r) rows[r] = up[r], rows[8 + r] = low[r];
    return rows;
  };
  std::set<std::array<std::uint8_t, 16>> seen;
  for (int c = 0; c <= 12; ++c) {
    EXPECT_NE(cell(c), (std::array<std::uint8_t, 16>{})) << "cell " << c;
    EXPECT_TRUE(seen.insert(cell(c)).second) << "cell " << c << " looks like an earlier one";
  }
  for (int d = 0; d <= 9; ++d) {
    EXPECT_FALSE(blank(glyph(largeDigitUpper(d)))) << "digit " << d;
    EXPECT_FALSE(blank(glyph(largeDigitLower(d)))) << "digit " << d;
  }
  EXPECT_TRUE(blank(glyph(largeDigitUpper(13))));
  EXPECT_TRUE(blank(glyph(largeDigitLower(13))));
}

TEST(GlyphTable8, LabelsAndSymbolsHaveInkAndUnassignedCodesHaveNone) {
  const std::set<int> drawn = {137, 138, 139, 140, 141, 142, 143, 144, 145, 150, 151, 152, 153,
                               158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170,
                               171, 172, 174, 175, 176, 177, 178, 220, 221, 222, 223, 224, 225};
  std::set<Rows8> seen;
  for (int code : drawn) {
    EXPECT_FALSE(blank(glyph(code))) << "code " << code;
    // Ends and labels are copied between the two code ranges on purpose.
    if (code < 192) {
      EXPECT_TRUE(seen.insert(glyph(code)).second) << "code " << code << " repeats a label";
    }
  }
  for (int code = 137; code <= 178; ++code) {
    if (!drawn.count(code)) {
      EXPECT_TRUE(blank(glyph(code))) << "code " << code;
    }
  }
  for (int code : {226, 227}) EXPECT_TRUE(blank(glyph(code))) << "code " << code;
  for (int code = 179; code <= 191; ++code) EXPECT_EQ(glyph8Index(code), -1);
}

TEST(GlyphTable8, TankLegendMarksTheEmptyAndFullEnds) {
  const Rows8 empty = glyph(144), full = glyph(145);
  // The tick sits at the bar's outer edge: leftmost column for E, rightmost for F.
  EXPECT_TRUE(empty[0] & 0x80);
  EXPECT_TRUE(full[0] & 0x01);
  EXPECT_NE(empty, full);
}

// --- 5 x 7 table ---

TEST(GlyphTable5x7, UsesOnlyBitsSixToTwo) {
  for (std::size_t i = 0; i < GlyphTable5x7.size(); ++i)
    EXPECT_EQ(GlyphTable5x7[i] & 0x83, 0) << "code " << 32 + i / 7 << " row " << i % 7;
}

TEST(GlyphTable5x7, PrintableAsciiHasInkAndSpaceHasNone) {
  auto rows = [](int code) {
    std::array<std::uint8_t, 7> r{};
    for (int i = 0; i < 7; ++i) r[i] = GlyphTable5x7[(code - 32) * 7 + i];
    return r;
  };
  EXPECT_EQ(rows(' '), (std::array<std::uint8_t, 7>{}));
  std::set<std::array<std::uint8_t, 7>> seen;
  for (int code = 33; code <= 126; ++code) {
    EXPECT_NE(rows(code), (std::array<std::uint8_t, 7>{})) << "code " << code;
    EXPECT_TRUE(seen.insert(rows(code)).second) << "code " << code << " looks like an earlier one";
  }
}

}  // namespace
}  // namespace zen
