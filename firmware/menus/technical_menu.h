// Diagnostic screens for installers.
#pragma once

namespace zen {

struct Instrument;

void probeTroubleShooter(Instrument& z);  // "Probe trouble shooter"
void technicalMenu(Instrument& z);        // "Technical items", with the extended setup only

}  // namespace zen
