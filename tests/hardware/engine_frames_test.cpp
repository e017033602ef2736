#include <gtest/gtest.h>

#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "support/fake_host.h"

namespace zen {
namespace {

using test::FakeHost;

template <std::size_t Length>
std::vector<std::uint16_t> fieldsOf(const FrameSlot<Length>& slot) {
  std::vector<std::uint16_t> out;
  for (std::size_t i = 0; i < (Length - 1) / 2; ++i) out.push_back(slot.field(static_cast<int>(i)));
  return out;
}

// Bar n at 100 + n, so every field names the bar it came from.
void setDistinctBars(Instrument& z) {
  for (int n = 1; n <= 21; ++n) z.sim.engineBars[n - 1] = static_cast<std::uint16_t>(100 + n);
}

TEST(EngineFrames, CarryTheBarsInTheUnitsFieldOrder) {
  FakeHost host;
  Instrument z(host);
  setDistinctBars(z);
  z.sim.engineUnitOn = true;
  z.engine.frames.type1.setField(1, 0xBEEF);
  z.engine.engineFrameAge = 41;

  buildEngineFrames(z);
  const EngineFrames& f = z.engine.frames;
  EXPECT_EQ(fieldsOf(f.type2),
            (std::vector<std::uint16_t>{101, 102, 103, 104, 115, 113, 116, 118, 0, 0, 114}));
  EXPECT_EQ(fieldsOf(f.type5), (std::vector<std::uint16_t>{109, 110, 111, 112, 119, 121}));
  EXPECT_EQ(fieldsOf(f.type4), (std::vector<std::uint16_t>{105, 106, 107, 108}));
  EXPECT_EQ(fieldsOf(f.type3), (std::vector<std::uint16_t>{1200}));
  EXPECT_EQ(fieldsOf(f.type1), (std::vector<std::uint16_t>{117, 0xBEEF}));

  EXPECT_EQ(f.type1.bytes[0], 1);
  EXPECT_EQ(f.type2.bytes[0], 2);
  EXPECT_EQ(f.type3.bytes[0], 3);
  EXPECT_EQ(f.type4.bytes[0], 4);
  EXPECT_EQ(f.type5.bytes[0], 5);

  EXPECT_EQ(z.engine.engineFrameInterval, 41);
  EXPECT_EQ(z.engine.engineFrameAge, 0);
  EXPECT_EQ(z.engine.engineUnitAlive, 6);
  EXPECT_EQ(z.engine.gLoad, 260);
}

TEST(EngineFrames, RevCounterIsTenTimesTheBarButAtLeast100) {
  struct Case {
    std::uint16_t bar;
    std::uint16_t value;
  };
  const Case cases[] = {{0, 100}, {5, 100}, {10, 100}, {11, 110}, {300, 3000}, {4095, 40950}};
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z(host);
    z.sim.engineUnitOn = true;
    z.sim.engineBars[19] = c.bar;
    buildEngineFrames(z);
    EXPECT_EQ(z.engine.frames.type3.field(0), c.value) << "bar " << c.bar;
  }
}

TEST(EngineFrames, NothingHappensWhileTheUnitIsOff) {
  FakeHost host;
  Instrument z(host);
  setDistinctBars(z);
  z.engine.frames.type2.bytes.fill(0x5A);
  z.engine.frames.type3.bytes.fill(0x5A);
  z.engine.engineUnitAlive = 2;
  z.engine.engineFrameAge = 80;
  z.engine.gLoad = 7;

  buildEngineFrames(z);
  EXPECT_EQ(z.engine.frames.type2.bytes[0], 0x5A);
  EXPECT_EQ(z.engine.frames.type3.field(0), 0x5A5A);
  EXPECT_EQ(z.engine.frames.type1.bytes[0], 0);
  EXPECT_EQ(z.engine.engineUnitAlive, 2);
  EXPECT_EQ(z.engine.engineFrameAge, 80);
  EXPECT_EQ(z.engine.gLoad, 7);
}

}  // namespace
}  // namespace zen
