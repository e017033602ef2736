#include "firmware/core/key_scanner.h"

#include <algorithm>

#include "firmware/core/background.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"

namespace zen {

namespace {

struct KeyEntry {
  int bit;
  std::uint8_t code;
  bool repeats;
};

// Later entries overwrite the code of earlier ones, so Menu and Select win.
constexpr KeyEntry ScanOrder[] = {
    {key_bit::Plus, key::Plus, true},  {key_bit::Minus, key::Minus, true},
    {key_bit::Up, key::Up, true},      {key_bit::Down, key::Down, true},
    {key_bit::Next, key::Next, true},  {key_bit::Prev, key::Prev, true},
    {key_bit::Menu, key::Menu, false}, {key_bit::Select, key::Select, false},
};

// Outside design mode Up and Down are the contrast keys and give no event.
void applyContrastKey(Instrument& z) {
  const std::uint8_t code = z.main.keyCode;
  if (z.main.designMode || (code != key::Up && code != key::Down)) return;
  changeContrast(z, code == key::Up ? -1 : 1);
  z.main.keyCode = 0;
}

void wakeBacklight(Instrument& z) {
  z.display.dimTimer = 255;
  if (z.settings.displayMode < 2) z.display.backlightLevel = z.settings.backlightSetting;
}

}  // namespace

void changeContrast(Instrument& z, int delta) {
  z.display.contrast =
      static_cast<std::uint8_t>(std::clamp<int>(z.display.contrast + delta, ContrastLowest, ContrastHighest));
  setDisplayContrast(z);
  saveQnhBlock(z);
}

void scanKeys(Instrument& z) {
  KeyScannerState& k = z.keys;
  std::uint8_t& keyCode = z.main.keyCode;
  for (const KeyEntry& key : ScanOrder) {
    const bool down = ((z.keyBits >> key.bit) & 1) == 0;
    std::uint8_t& latch = k.releasedLatch[key.bit];
    if (latch && down) {
      latch = 0;
      keyCode = key.code;
      k.repeatTicks = 0;
      k.repeatCount = 0;
      k.repeatStep = 1;
      applyContrastKey(z);
    } else if (!latch && !down) {
      latch = 1;
    } else if (!latch && down && key.repeats && k.repeatTicks >= key_timing::RepeatDelayTicks) {
      if (k.repeatCount == 10) k.repeatStep = 10;
      if (k.repeatCount == 30) k.repeatStep = 100;
      if (k.repeatCount != 30) ++k.repeatCount;
      k.repeatTicks = key_timing::RepeatRestartTicks;
      keyCode = key.code;
      k.keyLockout = key_timing::LockoutPasses;
      applyContrastKey(z);
      return;  // a repeat bypasses the lockout
    }
  }
  if (k.keyLockout > 0) {
    keyCode = 0;
    if (z.keyBits != NoKeysPressed)
      k.keyLockout = key_timing::LockoutPasses;
    else
      --k.keyLockout;
  } else if (keyCode != 0) {
    k.keyLockout = key_timing::LockoutPasses;
  }
  if (keyCode != 0) wakeBacklight(z);
}

}  // namespace zen
