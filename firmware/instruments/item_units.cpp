#include "firmware/instruments/item_units.h"

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

constexpr ItemUnit legend{};  // static text only, drawn by the unit's setup
constexpr ItemUnit qnh{};     // drawn by drawQnhReadout, at redraw and on every QNH change

}  // namespace

const std::array<ItemUnit, LastInstrumentItem + 1> ItemUnits{{
    framed<0>(),   // altimeter
    framed<1>(),   // airspeed indicator
    framed<2>(),   // vertical speed indicator
    framed<3>(),   // EGT
    framed<4>(),   // CHT
    framed<5>(),   // rev counter
    framed<6>(),   // fuel flow
    framed<7>(),   // tank 1
    framed<8>(),   // tank 2
    framed<9>(),   // coolant temperature
    framed<10>(),  // oil temperature
    framed<11>(),  // oil pressure
    framed<12>(),  // manifold pressure
    framed<13>(),  // fuel pressure
    framed<14>(),  // airspeed band
    framed<15>(),  // attitude
    framed<16>(),  // rate of turn
    framed<17>(),  // slip
    framed<18>(),  // heading
    framed<19>(),  // density altitude
    framed<20>(),  // ambient pressure
    framed<21>(),  // current time
    framed<22>(),  // flight time
    framed<23>(),  // glide ratio
    framed<24>(),  // ambient temperature
    framed<25>(),  // air distance
    framed<26>(),  // voltage
    framed<27>(),  // maintenance timer
    framed<28>(),  // Hobbs meter
    framed<29>(),  // fuel range
    framed<30>(),  // fuel endurance
    qnh,           // 31
    framed<32>(),  // true airspeed
    framed<33>(),  // stopwatch
    legend,        // 34 altimeter legend
    legend,        // 35 airspeed legend
    legend,        // 36 vertical speed legend
    framed<37>(),  // G-force
    framed<38>(),  // ICE warning
}};

int itemOfFrameRoutine(FrameRoutine routine) {
  if (routine == nullptr) return -1;
  for (std::size_t i = 0; i < ItemUnits.size(); ++i)
    if (ItemUnits[i].frame == routine) return static_cast<int>(i);
  return -1;
}

}  // namespace zen
