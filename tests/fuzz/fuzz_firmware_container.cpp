// The program's own file as it may be found on disk, cut short, patched or
// carrying several containers: the scan for the marker, the container
// opened and unscrambled, and the start-up scan that keeps the carried
// firmware and its version.
//
// Input: the file.
#include <algorithm>

#include "fuzz_support.h"
#include "link/firmware_container.h"
#include "link/firmware_update.h"
#include "support/test_files.h"
#include "support/update_view.h"
#include "support/virtual_link.h"

namespace {

using namespace zen;

// Where the marker stands from `from` on, with at least a byte after it (the
// scan's own limit); the file's size when nowhere.
std::size_t markerAt(std::span<const std::uint8_t> file, std::size_t from) {
  if (from + ContainerMarkerSize >= file.size()) return file.size();
  const auto marker = containerMarker();
  const auto end = file.end() - 1;
  const auto hit =
      std::search(file.begin() + static_cast<std::ptrdiff_t>(from), end, marker.begin(), marker.end());
  return hit == end ? file.size() : static_cast<std::size_t>(hit - file.begin());
}

void check(std::span<const std::uint8_t> file, MarkerChoice choice, const ContainerFind& found) {
  const std::size_t first = markerAt(file, 0);
  if (found.status == ContainerFind::Status::NotFound) {
    FUZZ_REQUIRE(first == file.size());
    return;
  }
  FUZZ_REQUIRE(markerAt(file, found.offset) == found.offset);
  if (choice == MarkerChoice::First) FUZZ_REQUIRE(found.offset == first);
  if (choice == MarkerChoice::Last) FUZZ_REQUIRE(markerAt(file, found.offset + 1) == file.size());
  if (!found.found()) {
    FUZZ_REQUIRE(!found.refusal.empty() && found.code.empty() && found.e2.empty());
    return;
  }
  FUZZ_REQUIRE(found.code.size() <= FirmwareImageSize && found.e2.size() <= DefaultE2Size);
  // Scrambled again, the parts are the bytes of the file they came from.
  const std::vector<std::uint8_t> rebuilt = buildContainer(found.code, found.e2);
  FUZZ_REQUIRE(found.offset + rebuilt.size() <= file.size());
  FUZZ_REQUIRE(
      std::equal(rebuilt.begin(), rebuilt.end(), file.begin() + static_cast<std::ptrdiff_t>(found.offset)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so a read past the end shows under AddressSanitizer.
  const std::vector<std::uint8_t> file(data, data + size);
  const ContainerFind first = findContainer(file, MarkerChoice::First);
  const ContainerFind last = findContainer(file, MarkerChoice::Last);
  check(file, MarkerChoice::First, first);
  check(file, MarkerChoice::Last, last);

  // The same file as the program's own at start-up: the last container wins.
  static test::VirtualLinkRig rig;
  static test::RecordingUpdateView view(rig.host);
  static FirmwareUpdate update(rig.link, view);
  const auto program = fuzz::programFolder() / "zenara";
  test::writeBytes(program, file);
  update.scanProgramFile(program);
  FUZZ_REQUIRE(update.imagePresent() == last.found());
  FUZZ_REQUIRE(update.scanProblem().empty() == (last.status != ContainerFind::Status::Refused));
  if (last.found()) {
    FUZZ_REQUIRE(std::equal(last.code.begin(), last.code.end(), update.firmwareImage().begin()));
    FUZZ_REQUIRE(update.carriedFirmwareVersion().size() <= CarriedVersionLength);
  } else {
    FUZZ_REQUIRE(update.carriedFirmwareVersion() == "Unknown");
  }
  return 0;
}
