// Firmware variables of the control spine, the keys and the display, grouped
// by the part of the firmware that owns them. All zero at program start.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

inline constexpr char FirmwareVersion[] = "260607X";
inline constexpr std::uint16_t WarmStartMagic = 0x55AA;

// Counters driven by the 25 ms timer tick.
struct TickState {
  std::uint8_t tickCount = 0;
  std::uint8_t halfSecondFlag = 0;
  std::uint8_t halfSecondCount = 0;
  std::uint8_t secondPhase = 0;
  std::uint8_t oneSecondFlag = 0;
  std::uint8_t leaveMainLoop = 0;
  std::uint8_t stopFirmware = 0;
  std::uint16_t warmStartMarker = 0;
  std::uint8_t extendedSetup = 0;
  // Pulse counts of the background pass, restarted every half second.
  std::array<std::uint16_t, 2> halfSecondAccumulators{};
};

struct MainState {
  std::uint8_t keyCode = 0;
  std::uint8_t activePage = 0;
  std::uint8_t designMode = 0;
  std::uint8_t selectedItem = 0;
  std::uint8_t lastSelectedItem = 0;
  std::uint16_t moveStep = 0;
  std::int32_t pitchOffset = 0;
  std::uint8_t pageVisible = 0;
  std::uint8_t newAlarms = 0;
  std::uint8_t activeAlarms = 0;
  std::uint8_t closeMenus = 0;
  std::uint8_t redrawRequest = 0;
};

// Key scanner state; key bits are scanned in a fixed order.
struct KeyScannerState {
  std::array<std::uint8_t, 8> releasedLatch{};
  std::uint8_t repeatTicks = 0;
  std::uint8_t repeatCount = 0;
  std::uint8_t repeatStep = 0;
  std::uint8_t keyLockout = 0;
};

struct DisplayState {
  std::uint8_t contrast = 0;  // 44..85, kept in clock RAM offset 42
  std::uint8_t backlightLevel = 0;
  std::uint8_t dimTimer = 0;
};

// Bit of AttitudeState::sensorStatus set while the unit runs its aided
// attitude mode ("A" on the attitude display, "Mattitude" in Horizon setup).
inline constexpr std::uint8_t AidedAttitudeBit = 0x08;
// Turn-rate source of a sensor that measures its rate of turn; below it the
// rate comes from the bank.
inline constexpr std::uint8_t TurnRateFromGyro = 2;

// Written by the attitude sensor (window or link), read by the instruments.
struct AttitudeState {
  std::uint8_t attitudeSensorOn = 0;
  std::uint8_t attitudeAlive = 0;
  std::uint8_t attitudeFresh = 0;
  std::int32_t pitch = 0;
  std::int32_t bank = 0;
  std::int32_t heading = 0;
  std::int32_t turnRate = 0;
  std::int32_t slipValue = 0;
  std::uint8_t sensorStatus = 0;         // status byte of the unit's last record, as sent
  std::uint8_t lastDrawnMarker = 0;      // 255 forces the attitude display to redraw
  std::uint8_t turnRateSource = 0;       // TurnRateFromGyro and above: the sensor measures the turn rate
  std::int32_t slipZero = 0;             // slip reading taken as centred, until power-off
};

}  // namespace zen
