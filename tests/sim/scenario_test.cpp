// Flight scenarios: the file is read strictly, values are interpolated, and a
// whole circuit flown through the default panel is seen as a pilot would.
#include "sim/scenario.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>

#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "sim/sensor_values.h"
#include "sim/virtual_host.h"

namespace zen {
namespace {

TEST(ScenarioFile, MalformedFilesAreRefusedNamingLineAndColumn) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "s.csv:1: the file is empty"},
      {"# only a comment\n", "s.csv:1: the file is empty"},
      {"t,ias_mph\n", "s.csv:1: no rows after the header"},
      {"t,speed\n0,1\n", "s.csv:1: column 2 (speed): unknown column"},
      {"ias_mph\n0\n", "s.csv:1: no column t"},
      {"t,rpm,rpm\n0,1,2\n", "s.csv:1: column 3 (rpm): the column appears twice"},
      {"t,ias_mph\n0,50\n\n10,9o\n", "s.csv:4: column 2 (ias_mph): \"9o\" is not a number"},
      {"t,ias_mph\n0,50\n10\n", "s.csv:3: 1 values for 2 columns"},
      {"t,ias_mph\n0,50\n10,60\n10,70\n", "s.csv:4: column 1 (t): 10 does not follow"},
      {"ias_mph,t\n0,-1\n", "s.csv:2: column 2 (t): a time before switch-on"},
      {"t,engine_on\n0,2\n", "s.csv:2: column 2 (engine_on): expected 0 or 1"},
      {"t,ias_mph\n0,nan\n", "s.csv:2: column 2 (ias_mph): \"nan\" is not a number"},
      {"t,ias_mph\n0,1\n86401,2\n", "s.csv:3: column 1 (t): later than a day"},
  };
  for (const Case& c : cases) {
    const ScenarioRead read = parseScenario(c.text, "s.csv");
    EXPECT_FALSE(read.scenario) << c.text;
    EXPECT_EQ(read.message.rfind(c.message, 0), 0u) << read.message;
  }
}

TEST(ScenarioFile, InterpolatesLinearlyHeadingsTheShortWayAndHoldsSwitchesAndTheLastRow) {
  const ScenarioRead read = parseScenario(
      "\xEF\xBB\xBF# comment\r\nt, ias_mph ,heading_deg,engine_on\r\n10,50,350,0\r\n20,100,10,1\r\n",
      "s.csv");
  ASSERT_TRUE(read.scenario) << read.message;
  const Scenario& s = *read.scenario;
  EXPECT_EQ(s.duration(), 20);
  EXPECT_EQ(s.rows[1].line, 4);
  struct Case {
    double t;
    std::array<double, 3> values;  // ias, heading, engine
    int line;                      // of the row at or before t
  };
  for (const Case& c : {Case{0, {50, 350, 0}, 3}, Case{12.5, {62.5, 355, 0}, 3}, Case{15, {75, 0, 0}, 3},
                        Case{19.9, {99.5, 9.8, 0}, 3}, Case{20, {100, 10, 1}, 4}, Case{99, {100, 10, 1}, 4}}) {
    std::vector<double> all;
    EXPECT_EQ(s.valuesAt(c.t, all), c.line) << c.t;
    ASSERT_EQ(all.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_NEAR(s.valueAt(k, c.t), c.values[k], 1e-9) << c.t << " column " << k;
      EXPECT_EQ(all[k], s.valueAt(k, c.t)) << c.t << " column " << k;
    }
  }
}

TEST(ScenarioFile, LiveLinesAreTakenWholeOrNotAtAll) {
  std::string message;
  const auto header = parseScenarioHeader("ias_mph,rpm", message);
  ASSERT_TRUE(header);
  EXPECT_EQ(parseScenarioLine(*header, "90,5000", message), (std::vector<double>{90, 5000}));
  EXPECT_FALSE(parseScenarioLine(*header, "90,x", message));
  EXPECT_FALSE(parseScenarioLine(*header, "90", message));
  EXPECT_FALSE(parseScenarioHeader("ias_mph,wind", message));
}

TEST(LiveScenario, TakesAHeaderThenWholeDatagramsAndCountsTheBadOnes) {
  VirtualHost host;
  Instrument& z = host.instrument();
  LiveScenario live;
  EXPECT_FALSE(live.receive(z, "10,20"));  // no header yet
  EXPECT_TRUE(live.receive(z, "raw_bar20,raw_static\n"));
  EXPECT_TRUE(live.receive(z, "300,1000"));
  EXPECT_EQ(z.sim.engineBar(20), 300);
  EXPECT_FALSE(live.receive(z, ""));
  EXPECT_FALSE(live.receive(z, "400,1100\n500,x\n"));  // half good is not applied at all
  EXPECT_EQ(z.sim.engineBar(20), 300);
  EXPECT_EQ(z.sim.pressureBars[0], 1000);
  EXPECT_TRUE(live.receive(z, "raw_static\n2000\n"));  // a new header in the same datagram
  EXPECT_EQ(z.sim.pressureBars[0], 2000);
  EXPECT_EQ(live.taken(), 3u);
  EXPECT_EQ(live.refused(), 3u);
  EXPECT_NE(live.lastProblem().find("not a number"), std::string::npos);
  EXPECT_EQ(live.takeReports(), std::vector<std::string>{});

  std::string message;
  LiveScenario given(parseScenarioHeader("t,raw_bar1", message));
  EXPECT_TRUE(given.receive(z, "12.5,77\n"));
  EXPECT_EQ(z.sim.engineBar(1), 77);
}

TEST(LiveScenario, TheFlightGearProtocolSendsOnlyKnownColumns) {
  std::ifstream in(ZENARA_SOURCE_DIR "/examples/flightgear/zenara.xml");
  const std::string xml{std::istreambuf_iterator<char>(in), {}};
  int names = 0;
  for (std::size_t at = xml.find("<name>"); at != std::string::npos; at = xml.find("<name>", at + 1)) {
    const std::size_t from = at + 6;
    const std::string name = xml.substr(from, xml.find("</name>", from) - from);
    EXPECT_TRUE(scenarioColumn(name)) << name;
    ++names;
  }
  EXPECT_GE(names, 6);
}

// The instrument switched on with the built-in defaults, run to `ms`.
struct DefaultInstrument {
  explicit DefaultInstrument(double closeMs) : host(options(closeMs)) {
    buildImageFromDefaults(host.instrument(), true);
  }
  static VirtualHost::Options options(double closeMs) {
    VirtualHost::Options o;
    o.closeAfterMs = static_cast<std::uint64_t>(closeMs);
    return o;
  }
  VirtualHost host;
  Instrument& z = host.instrument();
};

TEST(SensorValues, WhatTheWindowsSayIsWhatTheInstrumentShows) {
  DefaultInstrument rig(20000);
  Instrument& z = rig.z;
  z.sim.engineUnitOn = true;
  z.sim.pressureBars = {1012, 3300};
  z.sim.engineBars[2] = 230;    // TC 3
  z.sim.engineBars[14] = 400;   // oil temperature sender
  z.sim.engineBars[15] = 2000;  // oil pressure sender
  z.sim.engineBars[19] = 120;   // rev counter
  z.sim.engineBars[20] = 700;   // manifold
  rig.host.run();

  const SensorContext c = sensorContext(z);
  auto value = [&](SensorInput::Window w, int bar) {
    const SensorInput input{w, bar};
    return *valueAt(c, *meaningOf(c, input), input.position(z.sim));
  };
  using W = SensorInput::Window;
  EXPECT_EQ(value(W::Pressure, 1), z.air.altitudeFeet);
  EXPECT_EQ(value(W::Pressure, 1), 2007);
  EXPECT_EQ(value(W::Pressure, 2), z.air.indicatedAirspeed);
  EXPECT_EQ(value(W::Engine, 3), z.engine.thermocouples[2]);
  EXPECT_EQ(value(W::Engine, 15), z.engine.oilTemperature);
  EXPECT_EQ(value(W::Engine, 16), z.engine.oilPressure);
  EXPECT_EQ(value(W::Engine, 20), z.air.engineRpm);
  EXPECT_EQ(value(W::Engine, 21), z.air.manifoldPressure);
  EXPECT_EQ(describePosition(c, {W::Pressure, 1}, 1012), "2007 ft");
}

TEST(SensorValues, TheNearestPositionIsFoundWithTheForwardConversionAndOutOfReachIsClamped) {
  DefaultInstrument rig(3000);
  rig.host.run();
  const SensorContext c = sensorContext(rig.z);
  struct Case {
    Measurement m;
    double wanted;
    bool clamped;
  };
  const Case cases[] = {{{Quantity::Altitude}, 2000, false},      {{Quantity::Airspeed}, 90, false},
                        {{Quantity::EngineSpeed}, 5200, false},   {{Quantity::Thermocouple, 3}, 250, false},
                        {{Quantity::OilPressure}, 40, false},     {{Quantity::Airspeed}, 900, true},
                        {{Quantity::Thermocouple, 0}, 1500, true}};
  for (const Case& k : cases) {
    const PositionSearch search(c, k.m);
    ASSERT_TRUE(search.valid());
    const auto found = search.nearest(k.wanted, 0);
    EXPECT_EQ(found.clamped, k.clamped) << k.wanted;
    const double got = *valueAt(c, k.m, found.position);
    // No other position comes nearer.
    for (std::uint32_t p = 0; p <= inputOf(c, k.m).maximum(); ++p)
      ASSERT_LE(std::abs(got - k.wanted),
                std::abs(*valueAt(c, k.m, static_cast<std::uint16_t>(p)) - k.wanted))
          << k.wanted << " at " << p;
  }
}

// The circuit as a pilot checks it afterwards.
TEST(CircuitScenario, IsLoggedOnceWithItsTimesAltitudeEngineHoursAndTheChtAlarm) {
  ScenarioRead read = readScenarioFile(ZENARA_SOURCE_DIR "/examples/circuit.csv");
  ASSERT_TRUE(read.scenario) << read.message;
  const Scenario s = *read.scenario;
  const double end = s.duration() * 1000;
  DefaultInstrument rig(end + 1000);
  Instrument& z = rig.z;
  // A service due in 10 engine hours.
  const std::array<std::uint8_t, 6> engineHours{0, 0, 0, 0, 10, 0};
  z.rtc.write(clock_offset::EngineHoursA, engineHours);
  ScenarioPlayer player(s);
  rig.host.every(0, ScenarioStepMs, end, [&](double ms) { player.apply(z, ms / 1000); });
  rig.host.run();
  EXPECT_EQ(player.applier().takeReports(), std::vector<std::string>{});

  // What the scenario says, second by second.
  auto column = [&](const char* name) {
    for (std::size_t i = 0; i < s.columns.size(); ++i)
      if (s.columns[i].name == name) return i;
    ADD_FAILURE() << name;
    return std::size_t{0};
  };
  const std::size_t ias = column("ias_mph"), alt = column("altitude_ft"), rpm = column("rpm");
  const std::size_t tc3 = column("tc3_c"), tc4 = column("tc4_c");
  double takeoff = -1, landing = -1, hotFrom = -1, hotTo = -1, engineSeconds = 0;
  for (double t = 0; t <= s.duration(); t += 1) {
    if (takeoff < 0 && s.valueAt(ias, t) > 29) takeoff = t;
    if (s.valueAt(alt, t) > 0) landing = t + 1;
    if (s.valueAt(rpm, t) > z.settings.engineTimeRpm) engineSeconds += 1;
    if (std::max(s.valueAt(tc3, t), s.valueAt(tc4, t)) > z.settings.chtLimit) {
      if (hotFrom < 0) hotFrom = t;
      hotTo = t;
    }
  }
  ASSERT_GT(hotFrom, 0);

  // Logged once: the slot after the first is still free.
  std::array<std::uint8_t, 16> log{};
  z.e2.read(flight_log::FirstSlot, log);
  EXPECT_EQ(z.e2.read(flight_log::FirstSlot + flight_log::SlotSize), flight_log::FreeMarker);
  const double startMinute = 10 * 60 + 30;  // the virtual host's clock at switch-on
  const double loggedTakeoff = log[2] * 60 + log[3];
  const double loggedLanding = loggedTakeoff + log[5] * 60 + log[4];
  EXPECT_NEAR(loggedTakeoff, startMinute + takeoff / 60, 1);
  EXPECT_NEAR(loggedLanding, startMinute + landing / 60, 1);
  EXPECT_NEAR(log[8] | (log[9] << 8), 2000, 50);
  EXPECT_EQ(z.time.qnh.inFlight, 0);

  // The Hobbs meter ran while the engine did, and the service came as much closer.
  const EngineHoursRecord& hours = z.time.engineHours;
  EXPECT_NEAR(hours.minutes, engineSeconds / 60, 1);
  EXPECT_EQ(10 * 60 - (hours.serviceHours * 60 + hours.serviceMinutes), hours.minutes);

  // After the start-up lamp test, the lamp blinked only while the heads were
  // too hot (frames come once a second), and is dark at the end.
  int lit = 0;
  for (const auto& [ms, on] : rig.host.alarmLedHistory()) {
    if (!on || ms < 5000) continue;
    ++lit;
    EXPECT_GE(ms, hotFrom * 1000) << ms;
    EXPECT_LE(ms, (hotTo + 3) * 1000) << ms;
  }
  EXPECT_GT(lit, (hotTo - hotFrom) / 2 - 2);
  EXPECT_FALSE(rig.host.alarmLed());
}

}  // namespace
}  // namespace zen
