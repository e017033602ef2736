#include "files/panel_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/core/background.h"
#include "firmware/instruments/panel_items.h"
#include "sim/screen_render.h"
#include "sim/virtual_host.h"
#include "support/fake_host.h"
#include "support/panel_samples.h"
#include "support/screen_probe.h"
#include "support/test_files.h"

namespace zen {
namespace {

using test::allItems;
using test::itemValue;
using test::readBytes;
using test::writeBytes;
using Bytes = std::vector<std::uint8_t>;

struct Rig {
  test::FakeHost host;
  Instrument source{host};
  Instrument target{host};
  std::filesystem::path file = host.folder / "panel.pcf";

  Rig() {
    test::makeSamplePanel(source);
    test::loadDefaults(target);
    test::makeOwnCalibration(target);
  }
};

TEST(PanelFile, SaveThenLoadRestoresItems7To64AndKeepsTheCalibration) {
  Rig rig;
  ASSERT_EQ(savePanelFile(rig.source, rig.file), std::nullopt);
  const Bytes bytes = readBytes(rig.file);
  ASSERT_EQ(bytes.size(), 567u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{1, 0, 573 & 0xFF, 573 >> 8}));
  // The file ends with both location tables and the options.
  Bytes tail;
  for (int item : {62, 63, 64}) {
    const Bytes v = itemValue(rig.source, item);
    tail.insert(tail.end(), v.begin(), v.end());
  }
  EXPECT_EQ(Bytes(bytes.end() - 395, bytes.end()), tail);

  const auto before = allItems(rig.target);
  const SettingsImage imageBefore = rig.target.e2;
  ASSERT_EQ(loadPanelFile(rig.target, rig.file), std::nullopt);
  for (int n = 0; n < SettingsItemCount; ++n)
    EXPECT_EQ(itemValue(rig.target, n), n < FirstPanelItem ? before[n] : itemValue(rig.source, n))
        << "item " << n;
  // Values reach the image only with the next settings save.
  EXPECT_EQ(rig.target.e2.bytes, imageBefore.bytes);
  EXPECT_EQ(rig.target.engine.rpmFactor, (6000u / 40) * 15586u);
}

TEST(PanelFile, RefusedFilesApplyNothing) {
  const std::size_t egtCountAt = PanelFileHeaderLength + SettingsItemTable[41].address - PanelSettingsOffset;
  const std::size_t pulsesAt = PanelFileHeaderLength + SettingsItemTable[51].address - PanelSettingsOffset;
  struct Case {
    const char* name;
    void (*spoil)(Bytes&, std::size_t, std::size_t);
    std::string message;  // the whole message, or a part of it
  } cases[] = {
      {"version 2", [](Bytes& b, std::size_t, std::size_t) { b[0] = 2; }, IncompatibleVersionMessage},
      {"length 576", [](Bytes& b, std::size_t, std::size_t) { b[2] = 576 & 0xFF, b[3] = 576 >> 8; },
       IncompatibleLengthMessage},
      {"cut in the items", [](Bytes& b, std::size_t, std::size_t) { b.resize(566); },
       "ends after 566 of its 567"},
      {"cut in the header", [](Bytes& b, std::size_t, std::size_t) { b.resize(3); },
       "ends after 3 of its 567"},
      {"empty", [](Bytes& b, std::size_t, std::size_t) { b.clear(); }, "ends after 0 of its 567"},
      {"40 EGT channels", [](Bytes& b, std::size_t egt, std::size_t) { b[egt] = 40; }, "EGT channels 40"},
      {"no rev counter pulses", [](Bytes& b, std::size_t, std::size_t pulses) { b[pulses] = 0; },
       "rev counter pulses per 10 revs 0"},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_EQ(savePanelFile(rig.source, rig.file), std::nullopt);
    Bytes bytes = readBytes(rig.file);
    c.spoil(bytes, egtCountAt, pulsesAt);
    writeBytes(rig.file, bytes);
    const auto before = allItems(rig.target);
    const auto message = loadPanelFile(rig.target, rig.file);
    ASSERT_TRUE(message.has_value()) << c.name;
    EXPECT_NE(message->find(c.message), std::string::npos) << c.name << ": " << *message;
    EXPECT_EQ(allItems(rig.target), before) << c.name;
  }
}

TEST(PanelFile, FilesThatCannotBeOpenedOrWrittenAreNamedWithTheReason) {
  Rig rig;
  const auto missing = rig.host.folder / "none.pcf";
  const auto load = loadPanelFile(rig.target, missing);
  ASSERT_TRUE(load.has_value());
  EXPECT_NE(load->find(missing.string()), std::string::npos) << *load;
  EXPECT_NE(load->find("no such file"), std::string::npos) << *load;

  const auto nowhere = rig.host.folder / "no folder" / "panel.pcf";
  const auto save = savePanelFile(rig.source, nowhere);
  ASSERT_TRUE(save.has_value());
  EXPECT_NE(save->find(nowhere.string()), std::string::npos) << *save;
  EXPECT_NE(save->find("No such file or directory"), std::string::npos) << *save;
}

TEST(PanelFile, LoadedPositionsArePulledBackInsideTheScreen) {
  Rig rig;
  ASSERT_EQ(savePanelFile(rig.source, rig.file), std::nullopt);
  Bytes bytes = readBytes(rig.file);
  // Every item of both pages at column 39, row 239.
  for (int item : {62, 63}) {
    const std::size_t at = PanelFileHeaderLength + SettingsItemTable[item].address - PanelSettingsOffset;
    for (std::size_t i = 0; i < 158; i += 2) bytes[at + i] = 39, bytes[at + i + 1] = 239;
  }
  writeBytes(rig.file, bytes);
  ASSERT_EQ(loadPanelFile(rig.target, rig.file), std::nullopt);
  Instrument& z = rig.target;
  for (std::uint8_t page : {0, 1}) {
    z.main.activePage = page;
    const auto& locations = page == 0 ? z.settings.page1Locations : z.settings.page2Locations;
    for (int item = 0; item < PanelItemCount; ++item) {
      measureItem(z, item);
      EXPECT_LE(locations[item].column * 8 + z.panel.itemWidth, 320)
          << "page " << int(page) << " item " << item;
      EXPECT_LE(locations[item].row + z.panel.itemHeight, 240) << "page " << int(page) << " item " << item;
    }
  }
}

TEST(PanelFile, RendersAsTheInstrumentItCameFrom) {
  Rig rig;
  ASSERT_EQ(savePanelFile(rig.source, rig.file), std::nullopt);
  const PanelRead read = readPanelFile(rig.file);
  ASSERT_TRUE(read.panel.has_value()) << read.message;
  const SettingsImage sourceImage = imageFromSettings(rig.source.settings);
  for (int page : {1, 2}) {
    RenderOptions fromFile, fromInstrument, defaults;
    fromFile.prepare = [&](Instrument& z) { writePanelSettings(z.e2, *read.panel); };
    fromInstrument.settingsImage.emplace(sourceImage.bytes.begin(), sourceImage.bytes.end());
    fromFile.page = fromInstrument.page = defaults.page = page;
    const auto shown = renderScreen(fromFile);
    EXPECT_EQ(test::differingPixels(*shown, *renderScreen(fromInstrument)), 0) << "page " << page;
    EXPECT_GT(test::differingPixels(*shown, *renderScreen(defaults)), 0) << "page " << page;
  }
}

// Saving a panel once refilled the live image with defaults, so the next
// settings save wrote default settings and an empty flight log to e2.rom.
TEST(PanelFile, SavingAPanelKeepsTheFlightLogAndSettingsOfTheNextSave) {
  test::TemporaryFolder folder;
  Bytes e2;
  {
    VirtualHost::Options options;
    options.programFolder = folder.path();
    options.loadFiles = false;
    VirtualHost host(options);
    Instrument& z = host.instrument();
    test::makeSamplePanel(z);
    saveAllSettings(z);
    // Two flights in the log.
    for (std::size_t record : {768u, 784u})
      for (std::size_t i = 0; i < 16; ++i)
        z.e2.bytes[record + i] = static_cast<std::uint8_t>(record / 16 + i);
    writeSettingsFile(z);
    e2 = readBytes(folder.path() / "e2.rom");
  }
  VirtualHost::Options options;
  options.programFolder = folder.path();
  VirtualHost host(options);
  Instrument& z = host.instrument();
  host.at(4000, [&] { EXPECT_EQ(savePanelFile(z, folder.path() / "flown.pcf"), std::nullopt); });
  host.at(4500, [&] { saveAllSettings(z); });  // as leaving any menu does
  host.closeAt(5000);
  host.run();
  EXPECT_TRUE(host.fileErrors().empty());
  EXPECT_EQ(readBytes(folder.path() / "e2.rom"), e2);
}

}  // namespace
}  // namespace zen
