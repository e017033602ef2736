#include "sim/scenario.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/timekeeping.h"
#include "sim/atomic_file.h"

namespace zen {

namespace {

using Kind = ScenarioColumn::Kind;

// A scenario of a day at 10 rows a second stays far below this.
constexpr std::size_t MaxScenarioBytes = 64u << 20;

struct AttitudeRange {
  Kind kind;
  const char* name;
  int low, high;  // as the SV-5ra window's bars
};
constexpr AttitudeRange AttitudeColumns[] = {
    {Kind::Bank, "bank_deg", -180, 179},    {Kind::Pitch, "pitch_deg", -90, 90},
    {Kind::Heading, "heading_deg", 0, 359}, {Kind::TurnRate, "turn_rate", -200, 200},
    {Kind::Slip, "slip", -56, 56},
};

const AttitudeRange* attitudeRange(Kind kind) {
  for (const AttitudeRange& r : AttitudeColumns)
    if (r.kind == kind) return &r;
  return nullptr;
}

ScenarioColumn engineering(std::string name, Quantity q, double scale = 1, int channel = 0) {
  ScenarioColumn c;
  c.name = std::move(name);
  c.kind = Kind::Engineering;
  c.measurement = {q, channel};
  c.unitScale = scale;
  return c;
}

ScenarioColumn plain(std::string name, Kind kind) {
  ScenarioColumn c;
  c.name = std::move(name);
  c.kind = kind;
  return c;
}

ScenarioColumn raw(std::string name, SensorInput::Window window, int bar) {
  ScenarioColumn c = plain(std::move(name), Kind::Raw);
  c.input = {window, bar};
  return c;
}

std::vector<ScenarioColumn> allColumns() {
  std::vector<ScenarioColumn> all;
  all.push_back(plain("t", Kind::Time));
  all.push_back(engineering("altitude_ft", Quantity::Altitude));
  all.push_back(engineering("ias_mph", Quantity::Airspeed));
  for (const AttitudeRange& r : AttitudeColumns) all.push_back(plain(r.name, r.kind));
  all.push_back(plain("attitude_on", Kind::AttitudeOn));
  all.push_back(plain("engine_on", Kind::EngineOn));
  all.push_back(engineering("rpm", Quantity::EngineSpeed));
  for (int i = 1; i <= 12; ++i)
    all.push_back(engineering("tc" + std::to_string(i) + "_c", Quantity::Thermocouple, 1, i - 1));
  all.push_back(engineering("oil_temp_c", Quantity::OilTemperature));
  all.push_back(engineering("oil_pressure_bar", Quantity::OilPressure, 10));
  all.push_back(engineering("coolant_c", Quantity::Coolant));
  all.push_back(engineering("fuel_flow_lph", Quantity::FuelFlow, 100));
  all.push_back(engineering("fuel1_l", Quantity::Tank1));
  all.push_back(engineering("fuel2_l", Quantity::Tank2));
  all.push_back(engineering("manifold_mbar", Quantity::Manifold));
  all.push_back(raw("raw_static", SensorInput::Window::Pressure, 1));
  all.push_back(raw("raw_pitot", SensorInput::Window::Pressure, 2));
  for (int i = 1; i <= 21; ++i)
    all.push_back(raw("raw_bar" + std::to_string(i), SensorInput::Window::Engine, i));
  return all;
}

const std::vector<ScenarioColumn>& knownColumns() {
  static const std::vector<ScenarioColumn> all = allColumns();
  return all;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  for (;;) {
    const std::size_t comma = line.find(',');
    out.push_back(trim(line.substr(0, comma)));
    if (comma == std::string_view::npos) return out;
    line.remove_prefix(comma + 1);
  }
}

// Locale-free, finite numbers only.
std::optional<double> number(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::string columnLabel(std::size_t index, const std::string& name) {
  return "column " + std::to_string(index + 1) + " (" + name + ")";
}

bool isComment(std::string_view line) { return trim(line).empty() || trim(line).front() == '#'; }

}  // namespace

std::optional<ScenarioColumn> scenarioColumn(std::string_view name) {
  for (const ScenarioColumn& c : knownColumns())
    if (c.name == name) return c;
  return std::nullopt;
}

std::vector<std::string> scenarioColumnNames() {
  std::vector<std::string> names;
  for (const ScenarioColumn& c : knownColumns()) names.push_back(c.name);
  return names;
}

namespace {

using RowIterator = std::vector<Scenario::Row>::const_iterator;

// The first row after t.
RowIterator rowAfter(const Scenario& s, double t) {
  return std::upper_bound(s.rows.begin(), s.rows.end(), t, [](double v, const Scenario::Row& r) { return v < r.t; });
}

// Column c at time t, of a scenario with rows, `after` being rowAfter(t).
double valueBefore(const Scenario& s, std::size_t c, RowIterator after, double t) {
  if (after == s.rows.begin()) return s.rows.front().values[c];
  if (after == s.rows.end()) return s.rows.back().values[c];
  const Scenario::Row& a = *std::prev(after);
  const Scenario::Row& b = *after;
  const double va = a.values[c], vb = b.values[c];
  if (s.columns[c].isSwitch()) return va;
  const double f = (t - a.t) / (b.t - a.t);
  if (s.columns[c].kind == Kind::Heading) {
    // The short way round: 350 to 10 passes north.
    auto wrap = [](double h) {
      const double w = std::fmod(h, 360.0);
      return w < 0 ? w + 360 : w;
    };
    double d = wrap(vb) - wrap(va);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return wrap(wrap(va) + d * f);
  }
  // Weighted, so values near a double's limits do not overflow on the way.
  return va * (1 - f) + vb * f;
}

}  // namespace

double Scenario::valueAt(std::size_t c, double t) const {
  return rows.empty() ? 0 : valueBefore(*this, c, rowAfter(*this, t), t);
}

int Scenario::valuesAt(double t, std::vector<double>& values) const {
  values.assign(columns.size(), 0);
  if (rows.empty()) return 0;
  const RowIterator after = rowAfter(*this, t);
  for (std::size_t c = 0; c < columns.size(); ++c) values[c] = valueBefore(*this, c, after, t);
  return after == rows.begin() ? after->line : std::prev(after)->line;
}

std::optional<ScenarioHeader> parseScenarioHeader(std::string_view line, std::string& message) {
  ScenarioHeader header;
  const auto names = fields(line);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string name(names[i]);
    const auto column = scenarioColumn(name);
    if (!column) {
      message = columnLabel(i, name) + ": unknown column";
      return std::nullopt;
    }
    const bool seen = std::any_of(header.columns.begin(), header.columns.end(),
                                  [&](const ScenarioColumn& c) { return c.name == name; }) ||
                      (column->kind == Kind::Time && header.timeColumn != SIZE_MAX);
    if (seen) {
      message = columnLabel(i, name) + ": the column appears twice";
      return std::nullopt;
    }
    if (column->kind == Kind::Time)
      header.timeColumn = i;
    else
      header.columns.push_back(*column);
  }
  return header;
}

namespace {

// The values of one line, t (when the header has it) first.
std::optional<std::vector<double>> lineValues(const ScenarioHeader& header, std::string_view line,
                                              std::string& message) {
  const auto cells = fields(line);
  const std::size_t expected = header.columns.size() + (header.timeColumn != SIZE_MAX ? 1 : 0);
  if (cells.size() != expected) {
    message = std::to_string(cells.size()) + " values for " + std::to_string(expected) + " columns";
    return std::nullopt;
  }
  std::vector<double> values;
  values.reserve(cells.size());
  std::size_t c = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const bool isTime = i == header.timeColumn;
    const std::string& name = isTime ? std::string("t") : header.columns[c].name;
    const auto v = number(cells[i]);
    if (!v) {
      message = columnLabel(i, name) + ": \"" + std::string(cells[i]) + "\" is not a number";
      return std::nullopt;
    }
    if (!isTime && header.columns[c].isSwitch() && *v != 0 && *v != 1) {
      message = columnLabel(i, name) + ": expected 0 or 1, got \"" + std::string(cells[i]) + "\"";
      return std::nullopt;
    }
    if (isTime) {
      values.insert(values.begin(), *v);
    } else {
      values.push_back(*v);
      ++c;
    }
  }
  return values;
}

}  // namespace

std::optional<std::vector<double>> parseScenarioLine(const ScenarioHeader& header, std::string_view line,
                                                     std::string& message) {
  auto values = lineValues(header, line, message);
  if (values && header.timeColumn != SIZE_MAX) values->erase(values->begin());
  return values;
}

ScenarioRead parseScenario(std::string_view text, const std::string& name) {
  ScenarioRead result;
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  auto fail = [&](int line, const std::string& why) {
    result.message = name + ":" + std::to_string(line) + ": " + why;
    return result;
  };

  std::optional<ScenarioHeader> header;
  Scenario scenario;
  int lineNumber = 0;
  while (!text.empty() || lineNumber == 0) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++lineNumber;
    if (isComment(line)) {
      if (text.empty()) break;
      continue;
    }
    std::string why;
    if (!header) {
      header = parseScenarioHeader(line, why);
      if (!header) return fail(lineNumber, why);
      if (header->timeColumn == SIZE_MAX) return fail(lineNumber, "no column t (seconds after switch-on)");
      scenario.columns = header->columns;
      continue;
    }
    auto values = lineValues(*header, line, why);
    if (!values) return fail(lineNumber, why);
    const double t = values->front();
    values->erase(values->begin());
    const std::string tLabel = columnLabel(header->timeColumn, "t");
    if (t < 0) return fail(lineNumber, tLabel + ": a time before switch-on");
    if (t > MaxScenarioSeconds) return fail(lineNumber, tLabel + ": later than a day after switch-on");
    if (!scenario.rows.empty() && t <= scenario.rows.back().t)
      return fail(lineNumber, tLabel + ": " + std::string(fields(line)[header->timeColumn]) +
                                  " does not follow the previous row's " +
                                  std::to_string(scenario.rows.back().t));
    scenario.rows.push_back({t, std::move(*values), lineNumber});
  }
  if (!header) return fail(lineNumber, "the file is empty: expected a header row naming the columns");
  if (scenario.rows.empty()) return fail(lineNumber, "no rows after the header");
  result.scenario = std::move(scenario);
  return result;
}

ScenarioRead readScenarioFile(const std::string& path) {
  const ReadResult read = readFilePrefix(path, MaxScenarioBytes + 1);
  ScenarioRead result;
  if (read.missing) {
    result.message = path + ": no such file";
  } else if (read.error) {
    result.message = path + ": " + *read.error;
  } else if (read.bytes.size() > MaxScenarioBytes) {
    result.message = path + ": larger than " + std::to_string(MaxScenarioBytes >> 20) + " MiB";
  } else {
    const std::string text(read.bytes.begin(), read.bytes.end());
    return parseScenario(text, path);
  }
  return result;
}

// --- applying ------------------------------------------------------------------

struct ScenarioApplier::Searches {
  // What they were built with: the settings and what start-up derives from them.
  SettingsImage settings;
  std::uint32_t rpmFactor = 0;
  std::vector<std::optional<PositionSearch>> byColumn;
};

ScenarioApplier::ScenarioApplier(std::vector<ScenarioColumn> columns)
    : columns_(std::move(columns)), reported_(columns_.size(), false) {}

ScenarioApplier::~ScenarioApplier() = default;

std::vector<std::string> ScenarioApplier::takeReports() { return std::exchange(reports_, {}); }

void ScenarioApplier::override(SensorInput input) {
  if (std::find(overridden_.begin(), overridden_.end(), input) == overridden_.end())
    overridden_.push_back(input);
}

void ScenarioApplier::clearOverrides() { overridden_.clear(); }

void ScenarioApplier::apply(Instrument& z, const std::vector<double>& values, int line, const char* source) {
  // The altitude column is what the altimeter shows at 1013 hPa.
  SensorContext context = sensorContext(z);
  context.qnhX8 = QnhStandard;
  const SettingsImage settings = imageFromSettings(z.settings);
  if (!searches_ || searches_->settings.bytes != settings.bytes ||
      searches_->rpmFactor != context.rpmFactor) {
    searches_ = std::make_unique<Searches>();
    searches_->settings = settings;
    searches_->rpmFactor = context.rpmFactor;
    // Reports not yet taken were about settings no longer in force (start-up
    // derives some of them after the first samples).
    reports_.clear();
    reported_.assign(columns_.size(), false);
    for (const ScenarioColumn& c : columns_)
      searches_->byColumn.push_back(
          c.kind == Kind::Engineering ? std::optional<PositionSearch>(PositionSearch(context, c.measurement))
                                      : std::nullopt);
  }
  auto report = [&](std::size_t c, const std::string& why) {
    if (reported_[c]) return;
    reported_[c] = true;
    reports_.push_back(columns_[c].name + " (" + source + " " + std::to_string(line) + "): " + why);
  };
  auto isOverridden = [&](SensorInput input) {
    return std::find(overridden_.begin(), overridden_.end(), input) != overridden_.end();
  };
  auto changed = [&](std::size_t c) { return !last_ || (*last_)[c] != values[c]; };

  AttitudeState& a = z.attitude;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const ScenarioColumn& column = columns_[c];
    const double v = values[c];
    // Rows of finite values far apart can still interpolate past a double's range.
    if (!std::isfinite(v)) {
      report(c, "a value beyond any number, ignored");
      continue;
    }
    switch (column.kind) {
      case Kind::Time:
        break;
      case Kind::Engineering: {
        const PositionSearch& search = *searches_->byColumn[c];
        if (!search.valid()) {
          report(c, "the settings give no input this meaning; the column is ignored");
          break;
        }
        const SensorInput input = inputOf(context, column.measurement);
        if (isOverridden(input)) break;
        const auto found = search.nearest(v * column.unitScale, input.position(z.sim));
        if (found.clamped) {
          char text[96];
          std::snprintf(text, sizeof text, "%g is out of reach, held at %g", v,
                        (v * column.unitScale < search.lowest() ? search.lowest() : search.highest()) /
                            column.unitScale);
          report(c, text);
        }
        input.setPosition(z.sim, found.position);
        break;
      }
      case Kind::Raw: {
        if (isOverridden(column.input)) break;
        const double p = std::round(v);
        if (p < 0 || p > column.input.maximum())
          report(c, "position out of 0.." + std::to_string(column.input.maximum()) + ", clamped");
        column.input.setPosition(
            z.sim, static_cast<std::uint16_t>(std::clamp(p, 0.0, 1.0 * column.input.maximum())));
        break;
      }
      case Kind::Bank:
      case Kind::Pitch:
      case Kind::Heading:
      case Kind::TurnRate:
      case Kind::Slip: {
        if (!changed(c)) break;
        const AttitudeRange& r = *attitudeRange(column.kind);
        // A heading of 360 or -90 is a direction like any other.
        const double rounded = column.kind == Kind::Heading
                                   ? std::fmod(std::fmod(std::round(v), 360) + 360, 360)
                                   : std::round(v);
        if (rounded < r.low || rounded > r.high)
          report(c, "out of " + std::to_string(r.low) + ".." + std::to_string(r.high) + ", clamped");
        const auto value = static_cast<std::int32_t>(std::clamp(rounded, 1.0 * r.low, 1.0 * r.high));
        switch (column.kind) {
          case Kind::Bank:
          case Kind::Pitch:
            // As the window's bank and pitch bars do: a fresh sample re-arms the sensor.
            (column.kind == Kind::Bank ? a.bank : a.pitch) = value;
            a.attitudeFresh = 1;
            a.attitudeAlive = 255;
            break;
          case Kind::Heading:
            a.heading = value;
            break;
          case Kind::TurnRate:
            a.turnRate = value;
            break;
          default:
            a.slipValue = value;
            break;
        }
        break;
      }
      case Kind::AttitudeOn:
        if (!changed(c)) break;
        a.attitudeSensorOn = v != 0 ? 1 : 0;
        a.attitudeAlive = 255;
        a.attitudeFresh = 1;
        break;
      case Kind::EngineOn:
        if (changed(c)) z.sim.engineUnitOn = v != 0;
        break;
    }
  }
  last_ = values;
}

ScenarioPlayer::ScenarioPlayer(Scenario scenario)
    : scenario_(std::move(scenario)), applier_(scenario_.columns), values_(scenario_.columns.size()) {}

void ScenarioPlayer::apply(Instrument& z, double t) {
  const int line = scenario_.valuesAt(t, values_);
  applier_.apply(z, values_, line);
}

}  // namespace zen

namespace zen {

LiveScenario::LiveScenario(std::optional<ScenarioHeader> columns) : header_(std::move(columns)) {
  if (header_) applier_ = std::make_unique<ScenarioApplier>(header_->columns);
}

LiveScenario::~LiveScenario() = default;

std::vector<std::string> LiveScenario::takeReports() {
  return applier_ ? applier_->takeReports() : std::vector<std::string>{};
}

bool LiveScenario::receive(Instrument& z, std::string_view datagram) {
  // Everything is read before anything is applied.
  std::optional<ScenarioHeader> header = header_;
  std::vector<std::vector<double>> rows;
  std::string problem;
  bool sawHeader = false;
  for (std::string_view rest = datagram; !rest.empty() && problem.empty();) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (isComment(line)) continue;
    // A line naming a known column is a header; data lines start with numbers.
    if (scenarioColumn(std::string(trim(fields(line).front())))) {
      header = parseScenarioHeader(line, problem);
      sawHeader = true;
      rows.clear();
    } else if (!header) {
      problem = "a data line before any header";
    } else if (auto values = parseScenarioLine(*header, line, problem)) {
      rows.push_back(std::move(*values));
    }
  }
  if (!problem.empty() || (rows.empty() && !sawHeader)) {
    ++refused_;
    lastProblem_ = problem.empty() ? "an empty datagram" : problem;
    return false;
  }
  if (!header) {  // cannot happen: a header line that failed set a problem
    ++refused_;
    return false;
  }
  if (!header_ || header->columns.size() != header_->columns.size() ||
      !std::equal(header->columns.begin(), header->columns.end(), header_->columns.begin(),
                  [](const ScenarioColumn& a, const ScenarioColumn& b) { return a.name == b.name; })) {
    header_ = header;
    applier_ = std::make_unique<ScenarioApplier>(header_->columns);
  }
  ++taken_;
  for (const auto& row : rows) applier_->apply(z, row, static_cast<int>(taken_), "datagram");
  return true;
}

}  // namespace zen
