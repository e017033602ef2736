// Flight scenarios: a CSV table of what the sensors measure over time, read
// with line and column named on any fault, interpolated between its rows
// and applied to the simulated sensors through the firmware's own
// conversions (sim/sensor_values.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/hardware.h"
#include "sim/sensor_values.h"

namespace zen {

struct Instrument;

// What one column drives.
struct ScenarioColumn {
  enum class Kind : std::uint8_t {
    Time,
    Engineering,  // a value in `unitScale` x the quantity's unit
    Raw,          // a window position
    Bank,
    Pitch,
    Heading,
    TurnRate,
    Slip,
    AttitudeOn,
    EngineOn,
  };
  std::string name;
  Kind kind = Kind::Time;
  Measurement measurement;  // Engineering
  double unitScale = 1;     // column unit to the firmware's unit (bar to tenths: 10)
  SensorInput input;        // Raw

  bool isSwitch() const { return kind == Kind::AttitudeOn || kind == Kind::EngineOn; }
};

// The column of that name, or none for an unknown name.
std::optional<ScenarioColumn> scenarioColumn(std::string_view name);
// Every column name, in the order the README lists them.
std::vector<std::string> scenarioColumnNames();

// A day: longer scenarios are refused, so every player can count its time.
inline constexpr double MaxScenarioSeconds = 24 * 3600;

struct Scenario {
  std::vector<ScenarioColumn> columns;  // without t
  struct Row {
    double t = 0;
    std::vector<double> values;  // one per column
    int line = 0;                // in the file, for messages
  };
  std::vector<Row> rows;

  double duration() const { return rows.empty() ? 0 : rows.back().t; }
  // Column c at time t: linear between rows (headings the short way round),
  // the first row before it, the last after it; the 0/1 switches hold each
  // row's value until the next row.
  double valueAt(std::size_t c, double t) const;
  // Every column at time t with one search of the rows; returns the file
  // line of the row at or before t (of the first row before it), for reports.
  int valuesAt(double t, std::vector<double>& values) const;
};

struct ScenarioRead {
  std::optional<Scenario> scenario;
  std::string message;  // why not, naming the file, line and column
};

// `name` prefixes the messages (the file's path).
ScenarioRead parseScenario(std::string_view text, const std::string& name);
ScenarioRead readScenarioFile(const std::string& path);

// The header of a live feed, then its lines one at a time: a line is
// taken whole or not at all.
struct ScenarioHeader {
  std::vector<ScenarioColumn> columns;
  std::size_t timeColumn = SIZE_MAX;  // SIZE_MAX: the feed has no t
};
std::optional<ScenarioHeader> parseScenarioHeader(std::string_view line, std::string& message);
// The values of one line, one per header column (t excluded); none and a
// message when the line is malformed.
std::optional<std::vector<double>> parseScenarioLine(const ScenarioHeader& header, std::string_view line,
                                                     std::string& message);

// Applies scenario values to the simulator inputs and the attitude
// variables. Engineering values go through a PositionSearch built with the
// settings in force, rebuilt whenever the settings change.
class ScenarioApplier {
 public:
  explicit ScenarioApplier(std::vector<ScenarioColumn> columns);
  ~ScenarioApplier();

  // `source` and `line` name where the values came from in a report
  // ("row on line 12", "datagram 40").
  void apply(Instrument& z, const std::vector<double>& values, int line, const char* source = "row on line");
  // Each column's first value that no position reaches, once per column.
  std::vector<std::string> takeReports();

  // A window input moved by hand keeps its position until reset.
  void override(SensorInput input);
  void clearOverrides();

 private:
  struct Searches;
  std::vector<ScenarioColumn> columns_;
  std::unique_ptr<Searches> searches_;
  std::vector<bool> reported_;
  std::vector<std::string> reports_;
  std::vector<SensorInput> overridden_;
  std::optional<std::vector<double>> last_;
};

// A scenario played at its own time: apply(z, t) sets what the sensors
// measure t seconds into it.
class ScenarioPlayer {
 public:
  explicit ScenarioPlayer(Scenario scenario);
  const Scenario& scenario() const { return scenario_; }
  void apply(Instrument& z, double t);
  ScenarioApplier& applier() { return applier_; }

 private:
  Scenario scenario_;
  ScenarioApplier applier_;
  std::vector<double> values_;
};

// A live feed: datagrams of CSV lines, a header line naming the columns
// (or columns given in advance), then data lines applied as they arrive. A
// datagram with any bad line is counted and ignored whole.
class LiveScenario {
 public:
  explicit LiveScenario(std::optional<ScenarioHeader> columns = std::nullopt);
  ~LiveScenario();
  // True when the datagram was taken.
  bool receive(Instrument& z, std::string_view datagram);

  std::uint64_t taken() const { return taken_; }
  std::uint64_t refused() const { return refused_; }
  const std::string& lastProblem() const { return lastProblem_; }
  // Clamp and meaning reports of the values applied so far.
  std::vector<std::string> takeReports();

 private:
  std::optional<ScenarioHeader> header_;
  std::unique_ptr<ScenarioApplier> applier_;
  std::uint64_t taken_ = 0, refused_ = 0;
  std::string lastProblem_;
};

// The interval at which a player refreshes the inputs: the firmware samples
// the pressure sensors each half second and the engine unit once a second.
inline constexpr double ScenarioStepMs = 100;

}  // namespace zen
