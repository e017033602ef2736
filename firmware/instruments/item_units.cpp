#include "firmware/instruments/item_units.h"

#include "firmware/instruments/engine_gauges.h"
#include "firmware/instruments/flight_instruments.h"
#include "firmware/instruments/readouts.h"
#include "firmware/instruments/rev_counter.h"

namespace zen {

namespace {

// An item's routine of the shared (Instrument, item) form.
template <void (*Routine)(Instrument&, int), int Item>
void forItem(Instrument& z) {
  Routine(z, Item);
}

template <int Item>
constexpr ItemUnit readout() {
  return ItemUnit{nullptr, &forItem<drawReadout, Item>, &forItem<forgetReadout, Item>};
}

// EGT and CHT.
template <int Item>
constexpr ItemUnit channelGauge() {
  return ItemUnit{&forItem<setupChannelGauge, Item>, &forItem<drawChannelGauge, Item>,
                  &forItem<forgetEngineGauge, Item>};
}

// A frame, one bar and one value.
template <int Item>
constexpr ItemUnit readoutGauge() {
  return ItemUnit{&forItem<setupReadoutGauge, Item>, &forItem<drawReadoutGauge, Item>,
                  &forItem<forgetEngineGauge, Item>};
}

constexpr ItemUnit revCounter{&setupRevCounter, &drawRevCounter, &forItem<forgetEngineGauge, 5>};

template <int Item>
constexpr ItemUnit legend() {
  return ItemUnit{&forItem<drawUnitLegend, Item>, nullptr, nullptr};
}

constexpr ItemUnit qnh{};  // drawn by drawQnhReadout, at redraw and on every QNH change

}  // namespace

const std::array<ItemUnit, LastInstrumentItem + 1> ItemUnits{{
    {&setupAltimeter, &altimeterFrame, &forgetAltimeter},
    {&setupAirspeed, &airspeedFrame, &forgetAirspeed},
    {&setupVerticalSpeed, &verticalSpeedFrame, &forgetVerticalSpeed},
    channelGauge<3>(),   // EGT
    channelGauge<4>(),   // CHT
    revCounter,          // rev counter
    readoutGauge<6>(),   // fuel flow
    readoutGauge<7>(),   // tank 1
    readoutGauge<8>(),   // tank 2
    readoutGauge<9>(),   // coolant temperature
    readoutGauge<10>(),  // oil temperature
    readoutGauge<11>(),  // oil pressure
    readoutGauge<12>(),  // manifold pressure
    readoutGauge<13>(),  // fuel pressure
    {&setupSpeedBand, &speedBandFrame, &forgetSpeedBand},
    {&setupAttitude, &attitudeFrame, &forgetAttitude},
    {&setupTurnRate, &turnRateFrame, &forgetTurnRate},
    {&setupSlip, &slipFrame, &forgetSlip},
    {&setupHeading, &headingFrame, &forgetHeading},
    readout<19>(),  // density altitude
    readout<20>(),  // ambient pressure
    readout<21>(),  // current time
    readout<22>(),  // flight time
    readout<23>(),  // glide ratio
    readout<24>(),  // ambient temperature
    readout<25>(),  // air distance
    readout<26>(),  // voltage
    readout<27>(),  // maintenance timer
    readout<28>(),  // Hobbs meter
    readout<29>(),  // fuel range
    readout<30>(),  // fuel endurance
    qnh,            // 31
    readout<32>(),  // true airspeed
    readout<33>(),  // stopwatch
    legend<34>(),   // 34 altimeter legend
    legend<35>(),   // 35 airspeed legend
    legend<36>(),   // 36 vertical speed legend
    readout<37>(),  // G-force
    readout<38>(),  // ICE warning
}};

int itemOfFrameRoutine(FrameRoutine routine) {
  if (routine == nullptr) return -1;
  for (std::size_t i = 0; i < ItemUnits.size(); ++i)
    if (ItemUnits[i].frame == routine) return static_cast<int>(i);
  return -1;
}

}  // namespace zen
