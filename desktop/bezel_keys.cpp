#include "desktop/bezel_keys.h"

namespace zen {

BezelKeys::BezelKeys(QObject* parent) : QObject(parent) {
  for (int bit = 0; bit < 8; ++bit) {
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(ReleaseGraceMs);
    connect(timer, &QTimer::timeout, this, [this, bit] { set(bit, Keyboard, false); });
    pendingRelease_[static_cast<std::size_t>(bit)] = timer;
  }
}

bool BezelKeys::isDown(int bit) const {
  return bit >= 0 && bit < 8 && (((held_[Mouse] | held_[Keyboard]) >> bit) & 1u);
}

void BezelKeys::set(int bit, Source from, bool held) {
  const bool wasDown = isDown(bit);
  std::uint8_t& mask = held_[from];
  mask = static_cast<std::uint8_t>(held ? mask | (1u << bit) : mask & ~(1u << bit));
  if (isDown(bit) != wasDown) emit keyChanged(bit, !wasDown);
}

void BezelKeys::press(int bit, Source from) {
  if (bit < 0 || bit > 7) return;
  if (from == Keyboard) pendingRelease_[static_cast<std::size_t>(bit)]->stop();
  set(bit, from, true);
}

void BezelKeys::release(int bit, Source from) {
  if (bit < 0 || bit > 7 || !((held_[from] >> bit) & 1u)) return;
  if (from == Keyboard)
    pendingRelease_[static_cast<std::size_t>(bit)]->start();
  else
    set(bit, from, false);
}

void BezelKeys::letGo() {
  for (int bit = 0; bit < 8; ++bit) {
    pendingRelease_[static_cast<std::size_t>(bit)]->stop();
    set(bit, Mouse, false);
    set(bit, Keyboard, false);
  }
}

}  // namespace zen
