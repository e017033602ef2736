// "+" and "-" on the panel set the altimeter in millibar or inches of
// mercury, both together give the standard setting; the clock keeps it.
#include <gtest/gtest.h>

#include <string>

#include "firmware/core/option_bits.h"
#include "firmware/core/timekeeping.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;

struct QnhCase {
  bool millibar;
  std::uint16_t start;
  std::string keys;  // "B" holds "+" and "-" together
  std::uint16_t expected;
};

TEST(PanelKeys, QnhKeysStepInTheUnitAndStayWithinTheirLimits) {
  const QnhCase cases[] = {
      {true, 8104, "+", 8112},         {true, 8104, "--", 8088},    {true, 8472, "++", 8480},
      {true, 7688, "--", 7680},        {false, 8104, "+", 8106},    {false, 8104, "-", 8100},
      {false, 8472, "+++++", 8479},    {false, 7690, "----", 7683}, {true, 8200, "B", QnhStandard},
      {false, 7700, "B", QnhStandard},
  };
  for (const QnhCase& c : cases) {
    SCOPED_TRACE((c.millibar ? "mb from " : "inHg from ") + std::to_string(c.start) + " keys " + c.keys);
    MenuRig rig;
    Instrument& z = rig.z;
    if (!c.millibar) z.e2.bytes[SettingsItemTable[7].address] &= ~(1u << option::PressureMillibar);
    z.rtc.bytes[clock_offset::QnhBlock] = static_cast<std::uint8_t>(c.start & 0xFF);
    z.rtc.bytes[clock_offset::QnhBlock + 1] = static_cast<std::uint8_t>(c.start >> 8);
    for (char k : c.keys) {
      if (k != 'B') {
        rig.keys(std::string(1, k));
        continue;
      }
      rig.host.pressKey(rig.t, key_bit::Plus);
      rig.host.pressKey(rig.t, key_bit::Minus);
      rig.host.releaseKey(rig.t + 300, key_bit::Plus);
      rig.host.releaseKey(rig.t + 300, key_bit::Minus);
      rig.wait(400);
    }
    rig.run();
    EXPECT_EQ(std::uint16_t{z.time.qnh.qnhX8}, c.expected);
    EXPECT_EQ(z.rtc.bytes[clock_offset::QnhBlock] | (z.rtc.bytes[clock_offset::QnhBlock + 1] << 8),
              c.expected);
  }
}

}  // namespace
}  // namespace zen
