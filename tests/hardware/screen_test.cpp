// Pixel rules of the screen model's drawing services.
#include "hardware/screen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "hardware/glyphs.h"
#include "support/screen_probe.h"

namespace {
std::atomic<bool> countAllocations{false};
std::atomic<int> allocations{0};
}  // namespace

// GCC cannot see that these operators pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts heap allocations while a test asks for it: the drawing services run
// per pixel and must not allocate.
void* operator new(std::size_t size) {
  if (countAllocations) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace zen {
namespace {

using test::textByte;
using test::textCellMatches;

struct ScreenTest : ::testing::Test {
  void SetUp() override {
    screen = std::make_unique<Screen>();
    screen->drawColour = 1;
    screen->lineWidth = 1;
  }
  Screen& s() { return *screen; }
  bool black(int x, int y) { return s().graphicsPixel(x, y) == GraphicsPixel::Black; }
  int graphicsInk() {
    int n = 0;
    for (int y = 0; y < ScreenHeight; ++y)
      for (int x = 0; x < ScreenWidth; ++x) n += s().graphicsPixel(x, y) != GraphicsPixel::White;
    return n;
  }
  int workInk() {
    int n = 0;
    for (int y = 0; y < WorkBitmap::Height; ++y)
      for (int x = 0; x < WorkBitmap::Width; ++x) n += s().work.pixel(x, y);
    return n;
  }
  std::unique_ptr<Screen> screen;
};

TEST_F(ScreenTest, DisplayByteLandsAtItsAddressMostSignificantBitLeft) {
  s().setTextCursor(40 * 3 + 5);
  s().writeDisplayByte(0x81);
  EXPECT_EQ(textByte(s(), 5, 3), 0x81);
  EXPECT_EQ(s().textPixel(40, 3), TextPixel::Black);
  EXPECT_EQ(s().textPixel(41, 3), TextPixel::Silver);
  EXPECT_EQ(s().textCursor, 40 * 3 + 6);
}

TEST_F(ScreenTest, AddressesWrapAt10240AndRowsPast239AreNotShown) {
  s().setTextCursor(10240 + 40 * 7 + 2);
  s().writeDisplayByte(0xFF);
  EXPECT_EQ(textByte(s(), 2, 7), 0xFF);
  // Row 240..255 of display memory: nothing on screen changes.
  Screen before = s();
  s().setTextCursor(40 * 245);
  s().writeDisplayByte(0xFF);
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) ASSERT_EQ(s().textPixel(x, y), before.textPixel(x, y));
}

TEST_F(ScreenTest, InverseTextWritesSilverForSetBits) {
  s().inverseText = 1;
  s().setTextCursor(0);
  s().writeDisplayByte(0xF0);
  EXPECT_EQ(textByte(s(), 0, 0), 0x0F);
}

TEST_F(ScreenTest, DrawTextAtCutsAt40Characters) {
  const std::string text(45, 'A');
  s().drawTextAt(0, 2, text + "");
  EXPECT_EQ(s().textBuffer.size(), 40u);
  EXPECT_TRUE(textCellMatches(s(), 0, 16, std::string(40, 'A'), false));
}

TEST_F(ScreenTest, TextStopsAtColumn39AndOverwritesIt) {
  s().textBuffer.assign("ABCDEFGHIJ");
  s().setTextPosition(35, 4);
  s().drawText();
  EXPECT_TRUE(textCellMatches(s(), 35, 32, "ABCD", false));
  // E..J all land in column 39; the last one stays.
  EXPECT_TRUE(textCellMatches(s(), 39, 32, "J", false));
  EXPECT_EQ(s().textColumn, 39);
}

TEST_F(ScreenTest, DoubleHeightRepeatsEveryGlyphRow) {
  s().bigText = 1;
  s().drawTextAt(3, 5, "Z9");
  EXPECT_TRUE(textCellMatches(s(), 3, 40, "Z9", true));
}

TEST_F(ScreenTest, DoubleHeightTakesOtherCellsForBarCodesAndSkipsHighCodes) {
  ShortText t;
  t.push(130);  // a bar cell at normal height; index 143 at double height
  t.push(200);  // large-digit tile: nothing at double height
  s().setTextCursor(0);
  s().setTextPosition(0, 0);
  s().bigText = 1;
  s().textBuffer = t;
  // Mark the second cell so "draws nothing" is visible.
  s().setTextCursor(1);
  s().writeDisplayByte(0xAA);
  s().drawText();
  for (int j = 0; j < 8; ++j) {
    EXPECT_EQ(textByte(s(), 0, 2 * j), GlyphTable8[(130 + 13) * 8 + j]);
    EXPECT_EQ(textByte(s(), 0, 2 * j + 1), GlyphTable8[(130 + 13) * 8 + j]);
  }
  EXPECT_EQ(textByte(s(), 1, 0), 0xAA);
  EXPECT_EQ(s().textColumn, 2);
}

TEST_F(ScreenTest, CodesWithoutGlyphDrawBlank) {
  for (int code : {5, 31, 180, 191, 240}) {
    s().setTextCursor(0);
    s().writeDisplayByte(0xFF);
    ShortText t;
    t.push(static_cast<std::uint8_t>(code));
    s().textBuffer = t;
    s().setTextPosition(0, 0);
    s().drawText();
    EXPECT_EQ(textByte(s(), 0, 0), 0) << code;
  }
}

// Glyph chosen for one code at each height: an index into GlyphTable8, Blank
// (the cell is cleared) or Untouched (nothing is written).
constexpr int Blank = -1, Untouched = -2;

struct GlyphCase {
  int code;
  int normalIndex;
  int doubleIndex;
};

TEST_F(ScreenTest, DrawTextPicksTheGlyphByCodeAndHeight) {
  const GlyphCase cases[] = {
      {10, Blank, Blank},      {'A', 33, 33},         {127, 95, 95},         {128, 96, 141},
      {136, 104, 149},         {137, 150, 150},       {178, 191, 191},       {179, Blank, Blank},
      {191, Blank, Blank},     {192, 105, Untouched}, {236, 149, Untouched}, {237, Blank, Untouched},
      {255, Blank, Untouched},
  };
  constexpr std::uint8_t Marker = 0xA5;
  for (const GlyphCase& c : cases) {
    for (const bool doubleHeight : {false, true}) {
      Screen& screen = s();
      for (int y = 0; y < 16; ++y) {
        screen.setTextCursor(static_cast<std::uint16_t>(40 * y + 1));
        screen.writeDisplayByte(Marker);
      }
      screen.bigText = doubleHeight ? 1 : 0;
      ShortText t;
      t.push(static_cast<std::uint8_t>(c.code));
      screen.textBuffer = t;
      screen.setTextPosition(1, 0);
      screen.drawText();
      const int index = doubleHeight ? c.doubleIndex : c.normalIndex;
      for (int j = 0; j < 8; ++j) {
        const std::uint8_t expected =
            index == Untouched ? Marker : (index == Blank ? 0 : GlyphTable8[index * 8 + j]);
        const int rows = doubleHeight ? 2 : 1;
        for (int r = 0; r < rows; ++r)
          EXPECT_EQ(textByte(screen, 1, rows * j + r), expected)
              << "code " << c.code << (doubleHeight ? " double" : " normal") << " row " << j;
      }
      // The column advances even when nothing was drawn.
      EXPECT_EQ(screen.textColumn, 2) << "code " << c.code;
    }
  }
}

TEST_F(ScreenTest, LineEndPointIsClampedToTheScreen) {
  s().setPen(300, 230);
  s().lineTo(400, 300);
  EXPECT_TRUE(black(319, 239));
  EXPECT_EQ(s().penX, 319);
  EXPECT_EQ(s().penY, 239);
}

TEST_F(ScreenTest, BresenhamStartsWithMinusHalfTheMajorLength) {
  s().setPen(0, 0);
  s().lineTo(4, 2);
  // error -2, +2 each step: 0, then 2 > 0 moves y; expected walk below.
  const std::vector<std::pair<int, int>> expected{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}};
  for (auto [x, y] : expected) EXPECT_TRUE(black(x, y)) << x << "," << y;
  EXPECT_EQ(graphicsInk(), 5);
}

TEST_F(ScreenTest, BresenhamWalksFromThePenWhicheverWayTheLineRuns) {
  struct Case {
    int x0, y0, x1, y1, width;
    std::vector<std::pair<int, int>> pixels;
  };
  const Case cases[] = {
      // Walked backwards the error term rounds the other way: not the mirror of 0,0 -> 4,2.
      {4, 2, 0, 0, 1, {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},
      // Steep: y is the major axis, the second pixel goes to x - 1, never at either end.
      {10, 10, 12, 14, 2, {{10, 10}, {10, 11}, {9, 11}, {11, 12}, {10, 12}, {11, 13}, {10, 13}, {12, 14}}},
      // |dx| == |dy| counts as steep.
      {20, 20, 22, 22, 2, {{20, 20}, {21, 21}, {20, 21}, {22, 22}}},
      // A zero-length line is its start pixel.
      {30, 30, 30, 30, 3, {{30, 30}}},
  };
  for (const Case& c : cases) {
    s().clearScreen();
    s().lineWidth = static_cast<std::uint8_t>(c.width);
    s().setPen(static_cast<std::uint16_t>(c.x0), static_cast<std::uint8_t>(c.y0));
    s().lineTo(c.x1, c.y1);
    for (auto [x, y] : c.pixels)
      EXPECT_TRUE(black(x, y)) << c.x0 << "," << c.y0 << " pixel " << x << "," << y;
    EXPECT_EQ(graphicsInk(), static_cast<int>(c.pixels.size())) << "from " << c.x0 << "," << c.y0;
    EXPECT_EQ(s().penX, c.x1);
    EXPECT_EQ(s().penY, c.y1);
  }
}

struct WidthCase {
  int width;
  int ink;
};

class LineWidth : public ScreenTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(LineWidth, ThickLinesKeepSinglePixelEnds) {
  s().lineWidth = static_cast<std::uint8_t>(GetParam().width);
  s().setPen(10, 50);
  s().lineTo(20, 50);
  EXPECT_EQ(graphicsInk(), GetParam().ink);
  EXPECT_TRUE(black(10, 50));
  EXPECT_FALSE(black(10, 49));
  EXPECT_FALSE(black(20, 49));
  EXPECT_FALSE(black(20, 51));
  EXPECT_EQ(black(15, 49), GetParam().width >= 2);
  EXPECT_EQ(black(15, 51), GetParam().width >= 3);
}

// 11 pixels along the line; 9 inner points get one or two neighbours.
INSTANTIATE_TEST_SUITE_P(Widths, LineWidth,
                         ::testing::Values(WidthCase{1, 11}, WidthCase{2, 20}, WidthCase{3, 29}));

TEST_F(ScreenTest, SteepThickLinesWidenAcrossX) {
  s().lineWidth = 3;
  s().setPen(50, 10);
  s().lineTo(50, 14);
  EXPECT_TRUE(black(49, 12));
  EXPECT_TRUE(black(51, 12));
  EXPECT_FALSE(black(49, 14));
}

TEST_F(ScreenTest, EraseColourPaintsWhite) {
  s().setPen(0, 0);
  s().lineTo(10, 0);
  s().drawColour = 0;
  s().setPen(0, 0);
  s().lineTo(10, 0);
  EXPECT_EQ(graphicsInk(), 0);
}

TEST_F(ScreenTest, ToggleInvertsInDrawColourAndErasesOtherwise) {
  s().plotToggle(5, 5);
  EXPECT_TRUE(black(5, 5));
  s().plotToggle(5, 5);
  EXPECT_FALSE(black(5, 5));
  s().plot(6, 6);
  s().setPen(0, 6);
  s().lineToggle(10, 6);
  EXPECT_FALSE(black(6, 6));
  EXPECT_TRUE(black(7, 6));
  s().drawColour = 0;
  s().plotToggle(7, 6);
  EXPECT_FALSE(black(7, 6));
  s().plotToggle(7, 6);
  EXPECT_FALSE(black(7, 6));
}

TEST_F(ScreenTest, BracketIsOpenTopped) {
  s().drawBracket(2, 3, 4);  // y 16..23, x 28..68
  EXPECT_TRUE(black(28, 16));
  EXPECT_TRUE(black(28, 23));
  EXPECT_TRUE(black(68, 16));
  EXPECT_TRUE(black(48, 23));
  EXPECT_FALSE(black(48, 16));
  EXPECT_FALSE(black(28, 24));
  EXPECT_EQ(graphicsInk(), 8 + 8 + 39);
  s().bigText = 1;
  s().drawBracket(10, 0, 0);  // height 15
  EXPECT_TRUE(black(4, 95));
  EXPECT_FALSE(black(4, 96));
}

TEST_F(ScreenTest, SmallTextInEraseModePaintsSilver) {
  s().setPen(10, 10);
  s().textBuffer.assign("H");
  s().drawColour = 0;
  s().drawSmallText();
  int silver = 0;
  for (int y = 10; y < 17; ++y)
    for (int x = 10; x < 17; ++x) silver += s().graphicsPixel(x, y) == GraphicsPixel::Silver;
  EXPECT_GT(silver, 5);
  // Silver hides black text-layer ink beneath: erasing is not transparency.
  s().setTextCursor(40 * 12 + 1);
  s().writeDisplayByte(0xFF);
  for (int x = 10; x < 17; ++x) {
    if (s().graphicsPixel(x, 12) == GraphicsPixel::Silver) {
      EXPECT_EQ(s().compositePixel(x, 12), 0);
    }
  }
}

TEST_F(ScreenTest, SmallTextAdvancesAndStopsNearTheRightEdge) {
  s().setPen(0, 0);
  s().textBuffer.assign("AB");
  s().drawSmallText();
  EXPECT_EQ(s().penX, 12);
  ShortText t;
  t.push(160);  // 8x8 glyph: advances 8
  s().textBuffer = t;
  s().drawSmallText();
  EXPECT_EQ(s().penX, 20);
  s().setPen(312, 0);
  s().textBuffer.assign("A");
  s().drawSmallText();
  EXPECT_EQ(s().penX, 318);
  s().drawSmallText();
  EXPECT_EQ(s().penX, 318);  // no longer below 313
}

TEST_F(ScreenTest, SmallTextDrawsTheFiveBySevenGlyph) {
  s().setPen(100, 100);
  s().textBuffer.assign("A");
  s().drawSmallText();
  const int index = 'A' - 32;
  for (int j = 0; j < 7; ++j)
    for (int l = 0; l < 7; ++l)
      EXPECT_EQ(black(100 + l, 100 + j), bool(GlyphTable5x7[index * 7 + j] & (0x80 >> l))) << j << "," << l;
}

TEST_F(ScreenTest, SmallTextDrawsHighCodesFromTheEightByEightTable) {
  s().setPen(100, 100);
  ShortText t;
  t.push(160);
  s().textBuffer = t;
  s().drawSmallText();
  const int index = 160 + 13;
  for (int j = 0; j < 8; ++j)
    for (int l = 0; l < 8; ++l)
      EXPECT_EQ(black(100 + l, 100 + j), bool(GlyphTable8[index * 8 + j] & (0x80 >> l))) << j << "," << l;
  // 8x8 characters stop advancing from 311 on, two pixels before small ones do.
  s().setPen(310, 0);
  s().drawSmallText();
  EXPECT_EQ(s().penX, 318);
  s().setPen(311, 0);
  s().drawSmallText();
  EXPECT_EQ(s().penX, 311);
}

TEST_F(ScreenTest, WorkPlotIgnoresPointsOutsideTheBitmap) {
  s().workPlot(80, 0);
  s().workPlot(0, 56);
  EXPECT_EQ(workInk(), 0);
  s().workPlot(79, 55);
  EXPECT_TRUE(s().work.pixel(79, 55));
  // Bit 0 of a strip byte is its leftmost pixel.
  EXPECT_EQ(s().work.bytes[56 * 9 + 55], 0x80);
  s().workPlot(8, 1);
  EXPECT_EQ(s().work.bytes[56 * 1 + 1], 0x01);
}

TEST_F(ScreenTest, WorkLineClampsItsEndPoint) {
  s().setPen(70, 50);
  s().workLineTo(200, 100);
  EXPECT_EQ(s().penX, 127);
  EXPECT_EQ(s().penY, 63);
  EXPECT_TRUE(s().work.pixel(70, 50));
  EXPECT_GT(workInk(), 1);
}

TEST_F(ScreenTest, WorkFillFromTopLeftFillsAnEmptyBitmap) {
  s().workFill(0);
  EXPECT_EQ(workInk(), 80 * 56);
}

TEST_F(ScreenTest, WorkFillFromBottomLeftStopsAtALine) {
  s().setPen(0, 20);
  s().workLineTo(79, 20);
  s().workFill(3);
  for (int y = 0; y < 56; ++y) {
    int n = 0;
    for (int x = 0; x < 80; ++x) n += s().work.pixel(x, y);
    EXPECT_EQ(n, y >= 20 ? 80 : 0) << "row " << y;
  }
}

TEST_F(ScreenTest, WorkFillFromTheRightCornerFillsLeftwardsToo) {
  // A vertical wall at column 40 from row 0 to 55: corner 1 fills columns 41..79.
  s().setPen(40, 0);
  s().workLineTo(40, 55);
  s().workFill(1);
  EXPECT_TRUE(s().work.pixel(41, 30));
  EXPECT_TRUE(s().work.pixel(79, 0));
  EXPECT_FALSE(s().work.pixel(39, 30));
}

TEST_F(ScreenTest, WorkFillNeverCrossesABoundaryThatReachesItsStartColumnOrCorner) {
  // A slanted line ending in the right column: the rows it ends on stop the fill from corner 2.
  s().setPen(0, 51);
  s().workLineTo(79, 5);
  s().workFill(2);
  EXPECT_TRUE(s().work.pixel(78, 50));
  EXPECT_FALSE(s().work.pixel(70, 2));
  EXPECT_FALSE(s().work.pixel(2, 40));
  // A line along the bottom row leaves corner 3 nothing to fill.
  s().clearWork();
  s().setPen(0, 55);
  s().workLineTo(79, 55);
  s().workFill(3);
  EXPECT_EQ(workInk(), 80);
}

TEST_F(ScreenTest, WorkFillStopsAtWallsFromEveryCorner) {
  struct Case {
    int corner;
    bool verticalWall;            // else a horizontal line at row 20
    int firstFilled, lastFilled;  // columns for a vertical wall at 40, rows for the line
  };
  const Case cases[] = {
      {0, true, 0, 39},  {1, true, 41, 79}, {2, true, 41, 79},  {3, true, 0, 39},
      {0, false, 0, 19}, {1, false, 0, 19}, {2, false, 21, 55}, {3, false, 21, 55},
  };
  for (const Case& c : cases) {
    s().clearWork();
    if (c.verticalWall) {
      s().setPen(40, 0);
      s().workLineTo(40, 55);
    } else {
      s().setPen(0, 20);
      s().workLineTo(79, 20);
    }
    s().workFill(c.corner);
    for (int y = 0; y < WorkBitmap::Height; ++y)
      for (int x = 0; x < WorkBitmap::Width; ++x) {
        const int along = c.verticalWall ? x : y;
        const bool wall = along == (c.verticalWall ? 40 : 20);
        const bool filled = along >= c.firstFilled && along <= c.lastFilled;
        ASSERT_EQ(s().work.pixel(x, y), wall || filled)
            << "corner " << c.corner << (c.verticalWall ? " wall" : " line") << " at " << x << "," << y;
      }
  }
}

TEST_F(ScreenTest, WorkTextSetsGlyphBitsSixPixelsApart) {
  s().workText("II", 10);
  const int index = 'I' - 32;
  for (int i = 0; i < 7; ++i)
    for (int c = 0; c < 5; ++c) {
      const bool on = GlyphTable5x7[index * 7 + i] & (64 >> c);
      EXPECT_EQ(s().work.pixel(c, 10 + i), on);
      EXPECT_EQ(s().work.pixel(6 + c, 10 + i), on);
    }
}

TEST_F(ScreenTest, CopyWorkToTheLayersUsesStripBitOrder) {
  s().work.bytes[0] = 0x01;       // strip 0, row 0: leftmost pixel
  s().work.bytes[56 + 2] = 0x80;  // strip 1, row 2: pixel 15
  s().copyWorkToText(2, 100, 2, 0, 3);
  EXPECT_EQ(s().textPixel(16, 100), TextPixel::Black);
  EXPECT_EQ(s().textPixel(16 + 15, 102), TextPixel::Black);
  EXPECT_EQ(s().textPixel(17, 100), TextPixel::Silver);
  s().copyWorkToGraphics(1, 50);
  EXPECT_TRUE(black(8, 50));
  EXPECT_TRUE(black(8 + 15, 52));
  EXPECT_EQ(graphicsInk(), 2);
}

TEST_F(ScreenTest, LogoEmptyLineRepeatsTheRowAbove) {
  // Line 0: 2 blanks then 1 literal byte 0xF0; line 1 empty; lines 2.. run out (zeros).
  const std::vector<std::uint8_t> logo{2, 0x81, 0xF0, 0, 0};
  s().customLogo = logo;
  s().useCustomLogo = true;
  s().drawStartLogo();
  EXPECT_EQ(textByte(s(), 2, 0), 0xF0);
  EXPECT_EQ(textByte(s(), 2, 1), 0xF0);
  EXPECT_EQ(textByte(s(), 2, 2), 0xF0);  // data ended: every further line repeats as empty
}

TEST_F(ScreenTest, LogoEmptyFirstLineRepeatsTheBackgroundAboveTheScreen) {
  s().setTextCursor(3);
  s().writeDisplayByte(0xFF);
  const std::vector<std::uint8_t> logo{0, 0x81, 0x3C, 0};
  s().customLogo = logo;
  s().useCustomLogo = true;
  s().drawStartLogo();
  EXPECT_EQ(textByte(s(), 3, 0), 0x00);
  EXPECT_EQ(textByte(s(), 0, 1), 0x3C);
}

TEST_F(ScreenTest, CompositeShowsGraphicsInkOverText) {
  s().setTextCursor(0);
  s().writeDisplayByte(0x80);
  EXPECT_EQ(s().compositePixel(0, 0), 1);
  s().setGraphicsPixel(0, 0, GraphicsPixel::Silver);
  EXPECT_EQ(s().compositePixel(0, 0), 0);
  s().setGraphicsPixel(1, 0, GraphicsPixel::Black);
  EXPECT_EQ(s().compositePixel(1, 0), 1);
  s().setGraphicsPixel(0, 0, GraphicsPixel::White);
  EXPECT_EQ(s().compositePixel(0, 0), 1);
}

// The two-needle rev counter draws and erases its needles across the scale.
TEST_F(ScreenTest, ScalePictureSitsSixteenPixelsRightOfTheItemAndSurvivesNeedles) {
  s().originX = 80;
  s().originY = 20;
  s().drawScalePicture();
  s().drawColour = 1;
  s().lineWidth = 3;
  s().setPen(90, 72);
  s().lineTo(180, 30);
  s().drawColour = 0;
  s().setPen(90, 72);
  s().lineTo(180, 30);
  for (int row = 0; row < 104; ++row)
    for (int x = 0; x < 72; ++x) {
      const bool on = ScalePicture[104 * (x / 8) + row] & (0x80 >> (x % 8));
      ASSERT_EQ(s().compositePixel(96 + x, 20 + row), on) << x << "," << row;
    }
}

TEST(ShortTextTest, AppendKeepsAtMost40Characters) {
  ShortText t("012345678901234567890123456789012345");
  appendText(t, "ABCDEFGH");
  EXPECT_EQ(t.size(), 40u);
  EXPECT_EQ(t.str().substr(36), "ABCD");
}

TEST(ShortTextTest, AppendingATextToItselfDoublesIt) {
  ShortText t("AB");
  appendText(t, t);
  EXPECT_EQ(t.str(), "ABAB");
  ShortText long30(std::string(30, 'x'));
  appendText(long30, long30);
  EXPECT_EQ(long30.size(), 40u);
}

TEST_F(ScreenTest, DrawingServicesDoNotAllocate) {
  ShortText text("Altitude 1234");
  allocations = 0;
  countAllocations = true;
  s().drawTextAt(1, 1, text);
  s().bigText = 1;
  s().drawTextAt(1, 5, text);
  s().setPen(0, 0);
  s().lineTo(319, 239);
  s().lineToggle(0, 100);
  s().drawSmallText();
  s().drawBracket(3, 3, 5);
  s().workLineTo(50, 50);
  s().workFill(2);
  s().workText(text, 0);
  s().copyWorkToText(0, 0, 10, 0, 56);
  s().copyWorkToGraphics(10, 100);
  s().drawStartLogo();
  s().drawScalePicture();
  s().clearScreen();
  countAllocations = false;
  EXPECT_EQ(allocations, 0);
}

}  // namespace
}  // namespace zen
