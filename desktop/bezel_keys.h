// The bezel keys as the main window holds them, from the mouse and from the
// keyboard; a key is down while either holds it.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>

namespace zen {

class BezelKeys : public QObject {
  Q_OBJECT
 public:
  enum Source : std::uint8_t { Mouse, Keyboard };
  // A keyboard release counts only once no new press followed it this long:
  // a system auto-repeat that comes as a release and a press (not always
  // marked as a repeat) then holds the key down, as the mouse does, and the
  // firmware's own repeat and acceleration run on.
  static constexpr int ReleaseGraceMs = 50;

  explicit BezelKeys(QObject* parent = nullptr);
  void press(int bit, Source from);
  // A release of a key this source does not hold (its press went to another
  // window) changes nothing.
  void release(int bit, Source from);
  // Lets every key go at once: the window lost the focus or the activation,
  // so the releases would go elsewhere.
  void letGo();
  bool isDown(int bit) const;

 signals:
  void keyChanged(int bit, bool down);

 private:
  void set(int bit, Source from, bool held);

  std::array<std::uint8_t, 2> held_{};  // by source, one bit per key
  std::array<QTimer*, 8> pendingRelease_{};
};

}  // namespace zen
