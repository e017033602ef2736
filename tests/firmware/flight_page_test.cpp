// Whole pages of flight instruments: a frame redraws only what changed, what
// a page shows does not depend on the values it showed before, and the
// running firmware shows live instruments on both default pages.
#include <gtest/gtest.h>

#include <string>

#include "firmware/core/settings_store.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/large_digits.h"
#include "firmware/instruments/panel.h"
#include "hardware/glyphs.h"
#include "sim/virtual_host.h"
#include "tests/firmware/panel_rig.h"
#include "tests/support/screen_probe.h"

namespace zen {
namespace {

struct FlightValues {
  std::int32_t feet;
  std::uint16_t mph;
  std::int32_t fpm;
  std::uint8_t climbing;
  std::uint8_t sensorOn;
  std::int32_t bank, pitch, heading, turnRate, slip;
};
constexpr FlightValues Cruise{12345, 150, 1500, 1, 0, 40, 10, 300, 30, -20};
constexpr FlightValues Descent{-28, 45, 700, 0, 1, -120, -5, 10, -8, 15};

void feed(Instrument& z, const FlightValues& v) {
  z.air.altitudeFeet = v.feet;
  z.air.indicatedAirspeed = v.mph;
  z.air.verticalSpeed = v.fpm;
  z.air.climbing = v.climbing;
  AttitudeState& a = z.attitude;
  a.attitudeSensorOn = v.sensorOn;
  a.attitudeAlive = 255;
  a.attitudeFresh = 1;
  a.bank = v.bank;
  a.pitch = v.pitch;
  a.heading = v.heading;
  a.turnRate = v.turnRate;
  a.slipValue = v.slip;
}

bool sameComposite(const Screen& a, const Screen& b) {
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x)
      if (a.compositePixel(x, y) != b.compositePixel(x, y)) return false;
  return true;
}

struct DefaultPanel : test::PanelRig {
  explicit DefaultPanel(std::uint8_t page) {
    buildImageFromDefaults(z, true);
    loadAllSettings(z);
    z.main.activePage = page;
    clampItemPositions(z);
  }
};

TEST(FlightPage, SecondFrameWithTheSameValuesWritesNothing) {
  for (std::uint8_t page : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "page " << page + 1);
    DefaultPanel panel(page);
    redrawPage(panel.z);
    feed(panel.z, Descent);
    const std::uint64_t before = panel.z.screen.pixelWrites();
    drawPageItems(panel.z);
    const std::uint64_t first = panel.z.screen.pixelWrites();
    EXPECT_GT(first, before);
    drawPageItems(panel.z);
    EXPECT_EQ(panel.z.screen.pixelWrites(), first);
  }
}

// Every flight item in every style, side by side without overlapping.
struct AllFlightItems : test::PanelRig {
  explicit AllFlightItems(std::uint8_t style) {
    z.settings.optionBits = 1u << 0;  // feet
    z.settings.stallSpeed = 40;
    z.settings.neverExceedSpeed = 160;
    z.settings.flapSpeed = 70;
    z.settings.manoeuvringSpeed = 120;
    const std::uint8_t bit0 = style & 1;
    show(0, 0, style, 0, 0);
    show(1, 0, style, 12, 0);
    show(2, 0, style, 24, 0);
    show(14, 0, 0, 36, 0);
    show(15, 0, 0, 0, 124);
    show(16, 0, bit0, 11, 124);
    show(17, 0, bit0, 11, 144);
    show(18, 0, bit0, 22, 124);
  }
};

TEST(FlightPage, WhatAFrameShowsDependsOnlyOnTheValuesNow) {
  for (std::uint8_t style = 0; style < 4; ++style) {
    SCOPED_TRACE(testing::Message() << "style " << int(style));
    AllFlightItems a(style), b(style);
    redrawPage(a.z);
    feed(a.z, Cruise);
    drawPageItems(a.z);
    feed(a.z, Descent);
    drawPageItems(a.z);

    redrawPage(b.z);
    feed(b.z, Descent);
    drawPageItems(b.z);
    EXPECT_TRUE(sameComposite(a.z.screen, b.z.screen));

    // A redraw forgets what was drawn: the same values come back whole.
    redrawPage(a.z);
    drawPageItems(a.z);
    EXPECT_TRUE(sameComposite(a.z.screen, b.z.screen));
  }
}

// The large-digit codes of a value text as the instruments centre it.
std::string largeFigures(const ShortText& text, bool upper) {
  std::string codes;
  const ShortText centred = centredText(text);
  for (std::size_t i = 0; i < centred.size(); ++i) {
    const int cell = largeDigitCell(centred[i]);
    codes.push_back(static_cast<char>(upper ? largeDigitUpper(cell) : largeDigitLower(cell)));
  }
  return codes;
}

TEST(FlightPage, SwitchedOnWithTheDefaultsBothPagesShowLiveInstruments) {
  VirtualHost host;
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  constexpr int SelectKey = 1;
  host.setPressureBar(0, 1, 1100);  // static: below the altitude alarm of the defaults
  host.setPressureBar(0, 2, 3300);  // pitot: some airspeed

  bool page1Checked = false, page2Checked = false;
  host.at(4600, [&] {
    // Page 1: the altimeter dial at (15, 0) prints the altitude under its hands.
    const ShortText text = rightJustified(static_cast<std::uint32_t>(z.air.altitudeFeet), 5);
    EXPECT_GT(z.air.altitudeFeet, 1000);
    EXPECT_TRUE(test::textCellMatches(z.screen, 15 + 3, 92, largeFigures(text, true), false));
    EXPECT_TRUE(test::textCellMatches(z.screen, 15 + 3, 100, largeFigures(text, false), false));
    page1Checked = true;
  });
  host.clickKey(5000, SelectKey);
  host.at(5400, [&] {
    z.attitude.attitudeSensorOn = 1;
    z.attitude.attitudeAlive = 255;
    z.attitude.attitudeFresh = 1;
    z.attitude.bank = 20;
  });
  host.at(6600, [&] {
    // Page 2: the altimeter tape at (25, 1) shows it in its window, the attitude at (15, 22) is live.
    const ShortText text = rightJustified(static_cast<std::uint32_t>(z.air.altitudeFeet), 5);
    EXPECT_TRUE(test::textCellMatches(z.screen, 25 + 6, 1 + 52, largeFigures(text, true), false));
    EXPECT_TRUE(test::textCellMatches(z.screen, 15, 22, "G ", false));
    EXPECT_TRUE(test::textCellMatches(z.screen, 17, 22 + 8, "    ", false));  // "No IMU" went
    const int groundLeft = z.screen.graphicsPixel(120 + 2, 22 + 53) == GraphicsPixel::Black;
    const int skyRight = z.screen.graphicsPixel(120 + 77, 22 + 2) == GraphicsPixel::Black;
    EXPECT_EQ(groundLeft - skyRight, 1);
    page2Checked = true;
  });
  host.closeAt(7000);
  host.run();
  EXPECT_TRUE(page1Checked);
  EXPECT_TRUE(page2Checked);
}

}  // namespace
}  // namespace zen
