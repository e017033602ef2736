// A Host for tests: a private program folder that disappears afterwards, a
// clock the test sets, and a record of everything the firmware reported.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "firmware/core/host_interface.h"
#include "sim/atomic_file.h"
#include "support/temporary_folder.h"

namespace zen::test {

class FakeHost : public Host {
 public:
  struct FileError {
    std::filesystem::path file;
    std::string message;
  };

  FakeHost() : folder(temporary.path()), tempFolder(temporary.path()) {}
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  void yieldToHost(YieldKind kind) override {
    ++yields;
    if (onYield) onYield(kind);
  }
  void setAlarmLed(bool lit) override { alarmLed = lit; }
  std::filesystem::path programFolder() const override { return folder; }
  std::optional<std::string> replaceFile(const std::filesystem::path& file,
                                         std::span<const std::uint8_t> bytes) override {
    return writeFileAtomically(file, bytes);
  }
  void reportFileError(const std::filesystem::path& file, const std::string& systemMessage) override {
    fileErrors.push_back({file, systemMessage});
  }
  LocalTime localTime() const override { return now; }

  TemporaryFolder temporary;         // removed with the host
  std::filesystem::path folder;      // what programFolder() returns; may be pointed elsewhere
  std::filesystem::path tempFolder;  // the temporary folder itself
  LocalTime now;
  std::vector<FileError> fileErrors;
  bool alarmLed = false;
  int yields = 0;
  std::function<void(YieldKind)> onYield;  // lets a test act "between two firmware statements"
};

}  // namespace zen::test
