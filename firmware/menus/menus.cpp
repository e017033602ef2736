#include "firmware/menus/menus.h"

#include "firmware/core/background.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/option_bits.h"
#include "firmware/menus/menu_tree.h"

namespace zen {

void enterMainMenu(Instrument& z) { openMainMenu(z); }

namespace {

// Hundredths of an inch of mercury and back; the way back rounds so that a
// step of one hundredth always moves the setting.
int qnhInHundredthsInHg(int qnhX8) { return qnhX8 * 1250 / 3386; }
int qnhFromHundredthsInHg(int inHg) { return (inHg * 3386 + 1600) / 1250; }

}  // namespace

void adjustQnh(Instrument& z) {
  std::uint16_t& qnh = z.time.qnh.qnhX8;
  const std::uint8_t code = z.main.keyCode;
  if ((z.keyBits & QnhKeysMask) == 0) {
    qnh = QnhStandard;
  } else if (z.settings.testOption(option::PressureMillibar)) {
    if (code == key::Plus && qnh < QnhHighest) qnh += QnhMillibarStep;
    if (code == key::Minus && qnh > QnhLowest) qnh -= QnhMillibarStep;
  } else if (code == key::Plus || code == key::Minus) {
    const int inHg = qnhInHundredthsInHg(qnh) + (code == key::Plus ? 1 : -1);
    const int candidate = qnhFromHundredthsInHg(inHg);
    if (code == key::Plus ? candidate < QnhHighest : candidate > QnhLowest)
      qnh = static_cast<std::uint16_t>(candidate);
  }
  z.air.fastFollow = 1;
  saveQnhBlock(z);
}

}  // namespace zen
