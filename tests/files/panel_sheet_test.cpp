#include "files/panel_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "support/fake_host.h"
#include "support/panel_samples.h"

namespace zen {
namespace {

std::string valueOf(const PanelSheet& sheet, std::string_view section, std::string_view label) {
  for (const SheetSection& s : sheet.settings)
    if (s.title == section)
      for (const auto& [name, value] : s.lines)
        if (name == label) return value;
  return "(missing)";
}

TEST(PanelSheet, ItemsAndSettingsAsTheInstrumentShowsThem) {
  test::FakeHost host;
  Instrument z{host};
  test::loadDefaults(z);
  const PanelSheet sheet = makePanelSheet(z, {"e2.rom", "2026-12-08", "zenara-render 1.0.0"});
  const auto& page2 = sheet.pages[1];
  const auto altimeter = std::ranges::find(page2, "Altitude indicator", &SheetItem::name);
  ASSERT_NE(altimeter, page2.end());
  EXPECT_EQ(altimeter->style, "Tape, scale on the left, 2 of 4");
  EXPECT_EQ(altimeter->position, "(200, 1)");
  EXPECT_EQ(sheet.pages[0].size(), 44u);  // every item shown on page 1
  EXPECT_EQ(valueOf(sheet, "Engine monitor", "EGT alarm limit"), "650°C");
  EXPECT_EQ(valueOf(sheet, "Alarms", "ICE warn alarm"), "Enabled");
  EXPECT_EQ(valueOf(sheet, "Fuel tanks", "Tank 1 sender readings"),
            "0 %: 10, 20 %: 20, 40 %: 30, 60 %: 40, 80 %: 50, 100 %: 60");
  EXPECT_EQ(valueOf(sheet, "Speed limits and colours", "Yellow arc (caution)"), "Vno 100mph to Vne 120mph");
  EXPECT_NE(std::ranges::find(sheet.overlaps,
                              "Page 2: Altitude indicator at (200, 1) and Vertical speed "
                              "indicator at (240, 0)"),
            sheet.overlaps.end());

  // Other units come out as the instrument converts them; an alarm switched off says so.
  z.settings.toggleOption(option::TemperatureCelsius);
  z.settings.alarmEnables &= ~1u;
  const PanelSheet fahrenheit = makePanelSheet(z, {});
  EXPECT_EQ(valueOf(fahrenheit, "Engine monitor", "EGT alarm limit"), "1202°F");
  EXPECT_EQ(valueOf(fahrenheit, "Alarms", "EGT alarm"), "Disabled");
}

}  // namespace
}  // namespace zen
