#pragma once

namespace zen {

struct Instrument;

void enterMainMenu(Instrument& z);
void adjustQnh(Instrument& z);  // "+" / "-" on the panel

}  // namespace zen
