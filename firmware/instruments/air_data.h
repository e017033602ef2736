// The frame computation: raw sensor counts to the values the instruments show.
#pragma once

namespace zen {

struct Instrument;

void updateInstruments(Instrument& z);

}  // namespace zen
