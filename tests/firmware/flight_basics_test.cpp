// The pieces every flight instrument draws with: the sine table, the large
// digits and the tape position.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "firmware/instruments/flight_tapes.h"
#include "firmware/instruments/large_digits.h"
#include "firmware/instruments/sine_table.h"

namespace zen {
namespace {

TEST(SineTable, EntriesAreRoundedSinesExceptFortyEight) {
  for (int a = 0; a < 90; ++a) {
    // The tiny bias rounds sin(30) x 255 = 127.5 up, as "nearest" means on paper.
    const long rounded = std::lround(std::sin(a * std::numbers::pi / 180) * 255 + 1e-9);
    EXPECT_EQ(SineTable[a], a == 48 ? 189 : rounded) << a << " degrees";
  }
}

TEST(SineTable, AnyAngleIsReducedIntoTheCircle) {
  struct Case {
    long long degrees;
    int sine;
    int cosine;
  };
  const Case cases[] = {{0, 0, 255},
                        {90, 255, 0},
                        {180, 0, -255},
                        {270, -255, 0},
                        {30, 128, 221},
                        {-30, -128, 221},
                        {390, 128, 221},
                        {-330, 128, 221},
                        {-720 - 48, -189, 171},
                        {100000 * 360LL + 135, 180, -180}};
  for (const Case& c : cases) {
    EXPECT_EQ(sine(c.degrees), c.sine) << c.degrees;
    EXPECT_EQ(cosine(c.degrees), c.cosine) << c.degrees;
  }
}

TEST(LargeDigits, BlanksAreSharedOutToKeepTheFiguresCentred) {
  const std::pair<const char*, const char*> cases[] = {{"  -28", " -28 "}, {"    5", "  5  "},
                                                       {"12345", "12345"}, {" 87", " 87"},
                                                       {"8    ", "  8  "}, {"   ", "   "}};
  for (const auto& [in, out] : cases) EXPECT_EQ(centredText(ShortText(in)).str(), out) << '"' << in << '"';
}

TEST(TapePosition, LabelsScrollOnBelowZeroWithoutLeavingTheirRange) {
  const TapeScale altimeter{100, 11, 4, 5};
  struct Case {
    long long value;
    int index;
    int offset;
  };
  const Case cases[] = {{0, 1, 0},   {150, 2, 4},  {99, 1, 9},   {-1, 0, 9},
                        {-28, 0, 6}, {-100, 0, 0}, {-101, -1, 9}};
  for (const Case& c : cases) {
    const TapePosition at = tapePosition(c.value, altimeter);
    EXPECT_EQ(at.index, c.index) << c.value;
    EXPECT_EQ(at.offset, c.offset) << c.value;
  }
}

}  // namespace
}  // namespace zen
