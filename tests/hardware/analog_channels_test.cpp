#include <gtest/gtest.h>

#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "support/fake_host.h"

namespace zen {
namespace {

using test::FakeHost;

TEST(AdcPressure, ReadingIsTheBarFromTheBottom) {
  struct Case {
    std::uint16_t bar;
    std::uint16_t reading;
  };
  const Case cases[] = {{0, 4095}, {500, 3595}, {4095, 0}, {5000, 0}};
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z(host);
    z.sim.pressureBars = {c.bar, c.bar};
    readAdc(z, 0);
    EXPECT_EQ(z.adc.adcResult, c.reading) << "static bar " << c.bar;
    readAdc(z, 3);
    EXPECT_EQ(z.adc.adcResult, c.reading) << "pitot bar " << c.bar;
  }
}

TEST(AdcVerticalSpeed, StaticStepShowsAsAPulseThatHalves) {
  struct Case {
    int step;  // change of the channel 0 reading
    std::vector<std::uint16_t> reads;
  };
  const Case cases[] = {
      {+100, {2098, 2073, 2061, 2055, 2052, 2050, 2049, 2049}},
      {-100, {1998, 2023, 2035, 2041, 2044, 2046, 2047, 2047}},
      {0, {2048, 2048}},
  };
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z(host);
    z.adc.vsiAccumulator = 2048;  // settled
    z.adc.lastStaticSample = 1000;
    z.sim.pressureBars[0] = static_cast<std::uint16_t>(4095 - 1000 - c.step);
    readAdc(z, 0);
    EXPECT_EQ(z.adc.lastStaticSample, 1000 + c.step);
    std::vector<std::uint16_t> reads;
    for (std::size_t i = 0; i < c.reads.size(); ++i) {
      readAdc(z, 1);
      reads.push_back(z.adc.adcResult);
    }
    EXPECT_EQ(reads, c.reads) << "step " << c.step;
  }
}

TEST(AdcVerticalSpeed, AccumulatorWrapsIn16Bits) {
  FakeHost host;
  Instrument z(host);
  z.adc.vsiAccumulator = 10;
  z.adc.lastStaticSample = 200;
  z.sim.pressureBars[0] = 4095 - 100;
  readAdc(z, 0);
  EXPECT_EQ(z.adc.vsiAccumulator, 65446);
  readAdc(z, 1);
  EXPECT_EQ(z.adc.adcResult, 65446 - (65446 - 2048) / 2);
}

TEST(AdcFixedChannels, ReturnTheirValuesOrKeepTheLastResult) {
  struct Case {
    int channel;
    std::uint16_t result;
  };
  const Case cases[] = {{2, 1234}, {4, 1234}, {5, 2400}, {6, 1000}, {7, 1234}};
  for (const Case& c : cases) {
    FakeHost host;
    Instrument z(host);
    z.adc.adcResult = 1234;
    readAdc(z, c.channel);
    EXPECT_EQ(z.adc.adcResult, c.result) << "channel " << c.channel;
  }
}

}  // namespace
}  // namespace zen
