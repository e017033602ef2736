// Panel files (.pcf) from anywhere: refused with a message, or accepted,
// written back byte for byte, and shown: loaded with the settings at
// switch-on, then loaded again into the running instrument as the window's
// "Load panel" does.
//
// Input: the file. A byte after the panel's 567 picks the page shown.
#include <algorithm>

#include "files/panel_file.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "fuzz_support.h"

namespace {
// Loaded again on the first clock tick after the switch-on's page, then shown
// by one page update.
constexpr double LiveLoadMs = 25;
constexpr double RunMs = 525;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zen;
  const std::span<const std::uint8_t> file(data, size);
  const PanelRead read = decodePanelFile(file, "fuzz.pcf");
  if (!read.panel) {
    FUZZ_REQUIRE(!read.message.empty());
    return 0;
  }
  const PanelSettings& panel = *read.panel;
  const std::vector<std::uint8_t> written = encodePanelFile(panel);
  FUZZ_REQUIRE(written.size() == PanelFileLength);
  FUZZ_REQUIRE(std::equal(written.begin(), written.end(), file.begin()));

  fuzz::MemoryHost host(fuzz::hostOptions(RunMs));
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  writePanelSettings(z.e2, panel);
  z.main.activePage = size > PanelFileLength && (data[PanelFileLength] & 1) ? 1 : 0;
  host.at(LiveLoadMs, [&] {
    applyPanelSettings(z, panel);
    redrawPage(z);
  });
  fuzz::runPages(host);  // a HardwareFault escapes and counts as a crash
  return 0;
}
