#include "firmware/menus/sensor_commands.h"

#include "firmware/core/instrument.h"

namespace zen {

void sendSensorCommand(Instrument& z, SensorCommand command, std::uint16_t value) {
  SensorSetupState& s = z.sensorSetup;
  s.lastCommand = command;
  s.lastCommandValue = value;
  ++s.commandCount;
}

}  // namespace zen
