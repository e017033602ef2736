#include "firmware/instruments/item_units.h"

#include "firmware/instruments/readouts.h"

namespace zen {

namespace {

// Every frame routine starts by loading its item's place; the instruments'
// own drawing follows that call once they are written. Until then a routine
// per item keeps the frame list's order observable.
template <int Item>
void frameOf(Instrument& z) {
  loadItemLocation(z, Item);
}

template <int Item>
constexpr ItemUnit framed() {
  return ItemUnit{nullptr, &frameOf<Item>, nullptr};
}

template <int Item>
void readoutFrame(Instrument& z) {
  drawReadout(z, Item);
}

template <int Item>
void forgetReadoutOf(Instrument& z) {
  forgetReadout(z, Item);
}

template <int Item>
constexpr ItemUnit readout() {
  return ItemUnit{nullptr, &readoutFrame<Item>, &forgetReadoutOf<Item>};
}

template <int Item>
void legendSetup(Instrument& z) {
  drawUnitLegend(z, Item);
}

template <int Item>
constexpr ItemUnit legend() {
  return ItemUnit{&legendSetup<Item>, nullptr, nullptr};
}

constexpr ItemUnit qnh{};  // drawn by drawQnhReadout, at redraw and on every QNH change

}  // namespace

const std::array<ItemUnit, LastInstrumentItem + 1> ItemUnits{{
    framed<0>(),    // altimeter
    framed<1>(),    // airspeed indicator
    framed<2>(),    // vertical speed indicator
    framed<3>(),    // EGT
    framed<4>(),    // CHT
    framed<5>(),    // rev counter
    framed<6>(),    // fuel flow
    framed<7>(),    // tank 1
    framed<8>(),    // tank 2
    framed<9>(),    // coolant temperature
    framed<10>(),   // oil temperature
    framed<11>(),   // oil pressure
    framed<12>(),   // manifold pressure
    framed<13>(),   // fuel pressure
    framed<14>(),   // airspeed band
    framed<15>(),   // attitude
    framed<16>(),   // rate of turn
    framed<17>(),   // slip
    framed<18>(),   // heading
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
