#include "firmware/instruments/screen_presets.h"

#include "firmware/core/instrument.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

const std::array<std::string_view, 3> FlightPresetNames{"VFR", "IFR", "BLANK"};

const std::array<std::string_view, EngineTypeCount> EngineTypeNames{
    "Rotax503 2xEGT 2xCHT",          "Rotax582 2xEGT WT",
    "Rotax582 2xEGT 2xCHT WT",       "Rotax912 2xEGT 2xNCHT OP,OT",
    "Rotax912 4xEGT 2xNCHT OP,OT",   "Four stroke 2xEGT 2xCHT OP OT",
    "Four stroke 4xEGT 4xCHT OP OT", "Four stroke 6xEGT 6xCHT OP OT",
    "Hide all engine items",
};

namespace {

// Records: item, nibble[, column, row]. Nibble bit 0 = shown, bits 1..3 = style.
// clang-format off

constexpr std::uint8_t Vfr[] = {
    28,               // items 0..38
    0, 7, 15, 0,      // altimeter, dial
    1, 7, 3, 0,       // airspeed, dial
    2, 7, 27, 0,      // vertical speed, dial
    14, 3, 0, 0,      // airspeed band
    15, 0,            // attitude
    16, 0,            // rate of turn
    17, 0,            // slip
    18, 0,            // heading
    19, 5, 3, 174,    // density altitude
    20, 5, 5, 206,    // ambient pressure
    21, 1, 4, 182,    // current time
    22, 3, 4, 125,    // flight time
    23, 5, 3, 198,    // glide ratio
    24, 1, 4, 223,    // ambient temperature
    25, 1, 4, 215,    // air distance
    26, 1, 4, 232,    // voltage
    27, 0,            // maintenance timer
    28, 0,            // Hobbs meter
    29, 5, 4, 151,    // fuel range
    30, 5, 4, 159,    // fuel endurance
    31, 5, 19, 30,    // QNH
    32, 5, 7, 30,     // true airspeed
    33, 5, 4, 190,    // stopwatch
    34, 5, 24, 80,    // altimeter legend
    35, 5, 13, 80,    // airspeed legend
    36, 3, 37, 80,    // vertical speed legend
    37, 0,            // G-force
    38, 0,            // ICE warning
    20,               // labels 49..68
    0, 5, 0, 173,     // DALT
    1, 5, 0, 207,     // BARO
    2, 5, 0, 182,     // TIME
    3, 9, 0, 130,     // FLIGHT
    4, 5, 0, 199,     // GCR
    5, 5, 0, 223,     // TEMP
    6, 1, 0, 215,     // TRIP
    7, 1, 0, 231,     // VOLT
    8, 1, 0, 191,     // STW
    9, 0,             // MAINT
    10, 0,            // HOBBS
    11, 1, 0, 151,    // RANGE
    12, 1, 0, 159,    // BINGO
    13, 3, 15, 0,     // ALT
    14, 3, 3, 0,      // ASI
    15, 3, 7, 22,     // TAS
    16, 3, 19, 22,    // QNH
    17, 3, 27, 0,     // VSI
    18, 0,            // GFORCE
    19, 0,            // ICE
};

constexpr std::uint8_t Ifr[] = {
    28,               // items 0..38
    0, 3, 25, 1,      // altimeter, tape left
    1, 3, 6, 0,       // airspeed, tape left
    2, 1, 30, 0,      // vertical speed
    14, 1, 12, 1,     // airspeed band
    15, 1, 15, 22,    // attitude
    16, 3, 15, 79,    // rate of turn
    17, 3, 15, 104,   // slip
    18, 1, 18, 1,     // heading
    19, 0,            // density altitude
    20, 0,            // ambient pressure
    21, 3, 8, 133,    // current time
    22, 3, 17, 133,   // flight time
    23, 3, 33, 9,     // glide ratio
    24, 3, 33, 104,   // ambient temperature
    25, 0,            // air distance
    26, 0,            // voltage
    27, 3, 0, 31,     // maintenance timer
    28, 3, 0, 8,      // Hobbs meter
    29, 3, 0, 78,     // fuel range
    30, 3, 0, 101,    // fuel endurance
    31, 3, 26, 132,   // QNH
    32, 0,            // true airspeed
    33, 3, 0, 54,     // stopwatch
    34, 0,            // altimeter legend
    35, 0,            // airspeed legend
    36, 0,            // vertical speed legend
    37, 3, 34, 130,   // G-force
    38, 0,            // ICE warning
    20,               // labels 49..68
    0, 0,             // DALT
    1, 0,             // BARO
    2, 1, 9, 124,     // TIME
    3, 3, 17, 124,    // FLIGHT
    4, 1, 35, 0,      // GCR
    5, 1, 34, 95,     // TEMP
    6, 0,             // TRIP
    7, 0,             // VOLT
    8, 1, 0, 46,      // STW
    9, 5, 0, 23,      // MAINT
    10, 1, 0, 0,      // HOBBS
    11, 1, 0, 69,     // RANGE
    12, 9, 0, 93,     // BINGO
    13, 0,            // ALT
    14, 0,            // ASI
    15, 0,            // TAS
    16, 3, 26, 124,   // QNH
    17, 0,            // VSI
    18, 1, 33, 122,   // GFORCE
    19, 0,            // ICE
};

constexpr std::uint8_t Blank[] = {
    28,  // items 0..38, all off
    0, 0, 1, 0, 2, 0, 14, 0, 15, 0, 16, 0, 17, 0, 18, 0, 19, 0, 20, 0,
    21, 0, 22, 0, 23, 0, 24, 0, 25, 0, 26, 0, 27, 0, 28, 0, 29, 0, 30, 0,
    31, 0, 32, 0, 33, 0, 34, 0, 35, 0, 36, 0, 37, 0, 38, 0,
    20,  // labels 49..68, all off
    0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0,
    10, 0, 11, 0, 12, 0, 13, 0, 14, 0, 15, 0, 16, 0, 17, 0, 18, 0, 19, 0,
};
// clang-format on

// --- engine presets ---

// The engine settings as the engine set-up stores them (settings items 41..53).
struct EngineSettings {
  std::uint8_t egtChannels;
  std::uint8_t chtChannels;  // 13: two-probe liquid-cooled heads
  std::uint16_t egtLimit;    // degrees C
  std::uint16_t chtLimit;
  std::uint8_t oilPressureLow, oilPressureHigh;  // tenths of a bar
  std::uint16_t oilTempLow, oilTempHigh;
  std::uint8_t coolantLow, coolantHigh;
  std::uint8_t pulsesPer10Revs;
  std::array<std::uint8_t, 8> probeTypes;
  std::uint8_t oilSender;
};

constexpr std::uint8_t KType = 0, StandardNtc = 2, KvrNtc = 3;
// Thermocouples on inputs 0..3, heads on 4 and 5, coolant on 6, oil on 7.
constexpr std::array<std::uint8_t, 8> Probes{KType,       KType,       KType,  KType,
                                             StandardNtc, StandardNtc, KvrNtc, StandardNtc};
constexpr std::uint8_t Sender200 = 4;

// clang-format off
//                                         EGT CHT EGT    CHT    oil p   oil t     coolant pulses
//                                                 limit  limit  lo  hi  lo  hi    lo  hi  /10 revs
constexpr EngineSettings Rotax503{          2,  2, 650, 250,    20, 80, 80, 135,  55, 85, 60, Probes, Sender200};
constexpr EngineSettings Rotax582Wt{        2,  2, 650, 150,    20, 80, 80, 135,  55, 85, 60, Probes, Sender200};
constexpr EngineSettings Rotax582ChtWt{     2,  2, 650, 150,    20, 80, 80, 135,  55, 85, 60, Probes, Sender200};
constexpr EngineSettings Rotax912TwoEgt{    2, 13, 850, 135,    20, 80, 80, 135,  55, 85, 60, Probes, Sender200};
constexpr EngineSettings Rotax912FourEgt{   4, 13, 850, 135,    20, 80, 80, 135,  55, 85, 60, Probes, Sender200};
constexpr EngineSettings FourStrokeTwo{     2,  2, 850, 135,    20, 80, 80, 135,  55, 85, 10, Probes, Sender200};
constexpr EngineSettings FourStrokeFour{    4,  4, 850, 135,    20, 80, 80, 135,  55, 85, 10, Probes, Sender200};
constexpr EngineSettings FourStrokeSix{     6,  6, 850, 250,    20, 80, 80, 135,  55, 85, 10, Probes, Sender200};
// clang-format on

// Where an engine preset puts one gauge: nibble (bit 0 shown, bits 1..3 style), column, row.
struct Place {
  std::uint8_t nibble = 0;
  std::uint8_t column = 0;
  std::uint8_t row = 0;
};
constexpr Place Off{};

struct EngineLayout {
  Place egt, cht, rpm, coolant, oilTemp, oilPressure, flow, tank1, tank2;
};

// Stored form: flag byte and settings block (flag 0 and no block without
// settings), then count 11, the records of items 3, 4, 5, 9, 10, 11, 12, 6, 7,
// 8, 13 and 255 for "no label section".
struct StoredEnginePreset {
  std::array<std::uint8_t, 1 + EngineSettingsBlockSize + 1 + 11 * 4 + 1> bytes{};
  std::size_t size = 0;
  std::span<const std::uint8_t> span() const { return {bytes.data(), size}; }
};

constexpr StoredEnginePreset stored(const EngineSettings* settings, const EngineLayout& layout) {
  StoredEnginePreset out;
  std::size_t& i = out.size;
  auto put8 = [&](std::uint8_t v) { out.bytes[i++] = v; };
  auto put16 = [&](std::uint16_t v) {
    put8(static_cast<std::uint8_t>(v & 0xFF));
    put8(static_cast<std::uint8_t>(v >> 8));
  };
  auto record = [&](std::uint8_t item, const Place& p) {
    put8(item);
    put8(p.nibble);
    if (p.nibble & 1) {
      put8(p.column);
      put8(p.row);
    }
  };
  if (settings == nullptr) {
    put8(0);
  } else {
    const EngineSettings& e = *settings;
    put8(EngineSettingsBlockSize);
    put8(e.egtChannels);
    put8(e.chtChannels);
    put16(e.egtLimit);
    put16(e.chtLimit);
    put8(e.oilPressureLow);
    put8(e.oilPressureHigh);
    put16(e.oilTempLow);
    put16(e.oilTempHigh);
    put8(e.coolantLow);
    put8(e.coolantHigh);
    put8(e.pulsesPer10Revs);
    for (std::uint8_t p : e.probeTypes) put8(p);
    put8(e.oilSender);
  }
  put8(11);
  record(3, layout.egt);
  record(4, layout.cht);
  record(5, layout.rpm);
  record(9, layout.coolant);
  record(10, layout.oilTemp);
  record(11, layout.oilPressure);
  record(12, Off);  // manifold pressure
  record(6, layout.flow);
  record(7, layout.tank1);
  record(8, layout.tank2);
  record(13, Off);  // fuel pressure
  put8(255);
  return out;
}

// clang-format off
//                                                   EGT           CHT           RPM           coolant       oil temp      oil pressure  fuel flow     tank 1        tank 2
constexpr EngineLayout Rotax503Page1Layout{         {1, 30, 204}, {1, 30, 162}, {1, 21, 165}, Off,          Off,          Off,          {1, 11, 212}, {1, 11, 146}, {1, 11, 179}};
constexpr EngineLayout Rotax503Page2Layout{         {1, 26, 202}, {1, 26, 161}, {1, 15, 163}, Off,          Off,          Off,          {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout Rotax582WtPage1Layout{       {1, 30, 204}, Off,          {1, 21, 165}, {1, 31, 165}, Off,          Off,          {1, 11, 212}, {1, 11, 146}, {1, 11, 179}};
constexpr EngineLayout Rotax582WtPage2Layout{       {1, 25, 203}, Off,          {1, 14, 167}, {1, 25, 167}, Off,          Off,          {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout Rotax582ChtWtPage1Layout{    {1, 30, 204}, {1, 30, 162}, {1, 21, 165}, {1, 31, 128}, Off,          Off,          {1, 11, 212}, {1, 11, 146}, {1, 11, 179}};
constexpr EngineLayout Rotax582ChtWtPage2Layout{    {1, 30, 201}, {1, 30, 161}, {1, 11, 167}, {1, 20, 192}, Off,          Off,          {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout Rotax912TwoEgtPage1Layout{   {1, 30, 204}, {1, 30, 163}, {1, 21, 165}, Off,          {3, 23, 129}, {1, 32, 129}, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}};
constexpr EngineLayout Rotax912TwoEgtPage2Layout{   {1, 30, 204}, {1, 30, 161}, {1, 12, 167}, Off,          {1, 21, 211}, {1, 21, 168}, {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout Rotax912FourEgtPage1Layout{  {1, 30, 188}, {1, 30, 146}, {1, 21, 165}, Off,          {3, 17, 113}, {1, 26, 113}, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}};
constexpr EngineLayout Rotax912FourEgtPage2Layout{  {1, 30, 188}, {1, 19, 196}, {1, 10, 167}, Off,          {1, 31, 154}, {1, 20, 154}, {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout FourStrokeTwoPage1Layout{    {1, 30, 204}, {1, 30, 163}, {1, 21, 165}, Off,          {3, 23, 129}, {1, 32, 129}, {1, 11, 212}, {1, 11, 146}, {1, 11, 179}};
constexpr EngineLayout FourStrokeTwoPage2Layout{    {1, 30, 204}, {1, 30, 161}, {1, 12, 167}, Off,          {1, 21, 211}, {1, 21, 168}, {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout FourStrokeFourPage1Layout{   {1, 30, 188}, {1, 30, 120}, {1, 21, 165}, Off,          {3, 11, 212}, {1, 11, 181}, {1, 21, 120}, {1, 11, 120}, {1, 11, 151}};
constexpr EngineLayout FourStrokeFourPage2Layout{   {3, 30, 212}, {3, 30, 168}, {1, 12, 167}, Off,          {1, 21, 211}, {1, 21, 168}, {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout FourStrokeSixPage1Layout{    {1, 30, 172}, {1, 19, 172}, {1, 10, 167}, Off,          {3, 31, 140}, {1, 31, 109}, {9, 10, 126}, {1, 20, 110}, {1, 20, 141}};
constexpr EngineLayout FourStrokeSixPage2Layout{    {3, 30, 213}, {3, 30, 168}, {1, 12, 167}, Off,          {1, 21, 211}, {1, 21, 168}, {1, 0, 212},  {1, 0, 181},  {1, 0, 150}};
constexpr EngineLayout AllOff{Off, Off, Off, Off, Off, Off, Off, Off, Off};
// clang-format on

// In the order of EngineTypeNames, page 1 variants first.
constexpr std::array<StoredEnginePreset, EnginePresetCount> StoredEnginePresets{
    stored(&Rotax503, Rotax503Page1Layout),
    stored(&Rotax582Wt, Rotax582WtPage1Layout),
    stored(&Rotax582ChtWt, Rotax582ChtWtPage1Layout),
    stored(&Rotax912TwoEgt, Rotax912TwoEgtPage1Layout),
    stored(&Rotax912FourEgt, Rotax912FourEgtPage1Layout),
    stored(&FourStrokeTwo, FourStrokeTwoPage1Layout),
    stored(&FourStrokeFour, FourStrokeFourPage1Layout),
    stored(&FourStrokeSix, FourStrokeSixPage1Layout),
    stored(nullptr, AllOff),
    stored(&Rotax503, Rotax503Page2Layout),
    stored(&Rotax582Wt, Rotax582WtPage2Layout),
    stored(&Rotax582ChtWt, Rotax582ChtWtPage2Layout),
    stored(&Rotax912TwoEgt, Rotax912TwoEgtPage2Layout),
    stored(&Rotax912FourEgt, Rotax912FourEgtPage2Layout),
    stored(&FourStrokeTwo, FourStrokeTwoPage2Layout),
    stored(&FourStrokeFour, FourStrokeFourPage2Layout),
    stored(&FourStrokeSix, FourStrokeSixPage2Layout),
    stored(nullptr, AllOff),
};

constexpr std::array<std::span<const std::uint8_t>, 3> FlightPresets{Vfr, Ifr, Blank};

// Reads one preset section; returns the bytes after it, or an empty span when the data ran short.
std::span<const std::uint8_t> applySection(Instrument& z, std::span<const std::uint8_t> data, int firstItem,
                                           int page) {
  const std::uint8_t count = data[0];
  data = data.subspan(1);
  for (int n = 0; n < count; ++n) {
    if (data.size() < 2) return {};
    const int item = firstItem + data[0];
    const std::uint8_t nibble = data[1];
    const std::size_t length = (nibble & 1) ? 4 : 2;
    if (data.size() < length) return {};
    if (item < PanelItemCount) {
      std::uint8_t& options = z.settings.itemOptions[item];
      if (page == 1)
        options = static_cast<std::uint8_t>((options & 0xF0) | (nibble & 0x0F));
      else
        options = static_cast<std::uint8_t>((options & 0x0F) | (nibble << 4));
      if (nibble & 1) itemLocationOn(z, item, page - 1) = ItemLocation{data[2], data[3]};
    }
    data = data.subspan(length);
  }
  return data;
}

}  // namespace

std::span<const std::uint8_t> flightPreset(int index) {
  return index >= 0 && index < static_cast<int>(FlightPresets.size()) ? FlightPresets[index]
                                                                      : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> enginePreset(int index) {
  return index >= 0 && index < EnginePresetCount ? StoredEnginePresets[index].span()
                                                 : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> enginePresetSettingsBlock(int index) {
  const auto preset = enginePreset(index);
  if (preset.empty() || preset[0] == 0) return {};
  return preset.subspan(1, EngineSettingsBlockSize);
}

std::span<const std::uint8_t> enginePresetItems(int index) {
  const auto preset = enginePreset(index);
  if (preset.empty()) return {};
  return preset.subspan(preset[0] == 0 ? 1 : 1 + EngineSettingsBlockSize);
}

void applyScreenPreset(Instrument& z, std::span<const std::uint8_t> preset, int page) {
  if (page != 1 && page != 2) return;
  if (preset.empty()) return;
  auto rest = applySection(z, preset, 0, page);
  if (rest.empty() || rest[0] == 255) return;
  applySection(z, rest, FirstLabelItem, page);
}

}  // namespace zen
