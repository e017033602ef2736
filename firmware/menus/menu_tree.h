// The menu tree from the Main Menu down, and what each menu's opener does
// after the menu returns (saving, recomputing).
#pragma once

namespace zen {

struct Instrument;

// The Main Menu; saves the pilot number when it returns.
void openMainMenu(Instrument& z);

}  // namespace zen
