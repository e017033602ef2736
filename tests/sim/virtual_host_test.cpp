// The deterministic test host itself: clock ticks, scheduling order, the
// simulator controls and the safety stop.
#include "sim/virtual_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace zen {
namespace {

TEST(VirtualHostTest, ClockTicksEvery25msAndBuildsFramesEverySecond) {
  VirtualHost host;
  Instrument& z = host.instrument();
  host.switchEngineUnit(0, true);
  host.setEngineBar(0, 20, 300);  // rev counter
  host.advance(975);
  EXPECT_EQ(z.tick.halfSecondCount, 1);
  EXPECT_EQ(z.engine.frames.type3.bytes[0], 0);  // 39 ticks: no frame yet
  host.advance(25);
  EXPECT_EQ(z.engine.frames.type3.bytes[0], 3);
  EXPECT_EQ(z.engine.frames.type3.field(0), 3000);
  EXPECT_EQ(z.engine.engineUnitAlive, 6);
}

TEST(VirtualHostTest, ActionsRunInTimeOrderAndAfterATickAtTheSameTime) {
  VirtualHost host;
  std::vector<int> seen;
  host.at(50, [&] { seen.push_back(host.instrument().engine.engineFrameAge); });
  host.at(10, [&] { seen.push_back(-1); });
  host.at(50, [&] { seen.push_back(-2); });
  host.advance(100);
  // The tick at 50 ms (the second) has already counted the frame age.
  EXPECT_EQ(seen, (std::vector<int>{-1, 2, -2}));
}

TEST(VirtualHostTest, RepeatRunsEveryPeriodUntilItSaysStop) {
  VirtualHost host;
  std::vector<std::pair<char, std::uint64_t>> seen;
  host.at(10, [&] { seen.emplace_back('a', host.nowMicros()); });
  int runs = 0;
  host.repeat(5, 5, [&] {
    seen.emplace_back('r', host.nowMicros());
    return ++runs < 3;
  });
  host.advance(40);
  const std::vector<std::pair<char, std::uint64_t>> expected = {
      {'r', 5000}, {'a', 10000}, {'r', 10000}, {'r', 15000}};
  EXPECT_EQ(seen, expected);
}

TEST(VirtualHostTest, SimulatorControlsReachTheInstrumentAtTheirTime) {
  VirtualHost host;
  Instrument& z = host.instrument();
  host.setPressureBar(100, 1, 1234);
  host.setPressureBar(100, 2, 77);
  host.advance(99);
  EXPECT_EQ(z.sim.pressureBars[0], 0);
  host.advance(1);
  EXPECT_EQ(z.sim.pressureBars[0], 1234);
  EXPECT_EQ(z.sim.pressureBars[1], 77);
}

TEST(VirtualHostTest, LocalTimeRunsWithSimulatedTime) {
  VirtualHost::Options options;
  options.startTime = {2026, 12, 31, 23, 59, 58};
  VirtualHost host(options);
  host.advance(3000);
  const LocalTime t = host.localTime();
  EXPECT_EQ(t.year, 2027);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.second, 1);
}

// Like the desktop host: polls that find nothing to do jump to the next event
// after a few of them; counted delays only ever cost their own time.
TEST(VirtualHostTest, IdlePollsJumpToTheNextEventDelaysDoNot) {
  VirtualHost host;
  host.at(10, [] {});
  for (int round = 0; round < 3; ++round) {
    const std::uint64_t start = host.nowMicros();
    for (int i = 1; i < SimulationHost::IdlePollsBeforeSleep; ++i) host.yieldToHost(YieldKind::Poll);
    EXPECT_LT(host.nowMicros(), start + 100);
    host.yieldToHost(YieldKind::Poll);
    EXPECT_EQ(host.nowMicros(), round == 0 ? 10000u : 25000u * round) << "round " << round;
  }
  const std::uint64_t start = host.nowMicros();
  for (int i = 0; i < 1000; ++i) host.yieldToHost(YieldKind::Delay);
  EXPECT_EQ(host.nowMicros(), start + 4000);
}

// A counted delay taken in one call passes the same steps as yield by yield:
// every action runs at the same simulated moment, the count is the same.
TEST(VirtualHostTest, DelayInOneCallMatchesYieldByYield) {
  auto trace = [](bool inOneCall) {
    VirtualHost host;
    std::vector<std::uint64_t> seen;
    for (double ms : {0.0, 0.0021, 3.0, 3.0, 51.7}) host.at(ms, [&] { seen.push_back(host.nowMicros()); });
    host.at(20, [&] { host.at(20, [&] { seen.push_back(host.nowMicros() + 1); }); });
    if (inOneCall) {
      host.delayYields(30001);
    } else {
      for (int i = 0; i < 30001; ++i) host.yieldToHost(YieldKind::Delay);
    }
    seen.push_back(host.nowMicros());
    seen.push_back(host.yieldCount());
    return seen;
  };
  EXPECT_EQ(trace(true), trace(false));

  // A close during the switch-on's pause stops the firmware there, not at its end.
  VirtualHost::Options options;
  options.closeAfterMs = 100;
  VirtualHost host(options);
  host.run();
  EXPECT_LE(host.nowMicros(), 100004u);
}

TEST(VirtualHostTest, FirmwareWithoutACloseStopsAtTheSafetyLimit) {
  VirtualHost::Options options;
  options.closeAfterMs = 4000;
  VirtualHost host(options);
  host.run();
  EXPECT_TRUE(host.closed());
  EXPECT_LT(host.nowMs(), 4600);
}

}  // namespace
}  // namespace zen
