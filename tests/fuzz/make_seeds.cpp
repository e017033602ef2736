// Writes the fuzzers' seed corpora (tests/fuzz/corpus) from the program's own
// encoders and a short run of the instrument: make_seeds CORPUS_FOLDER.
#include <cstdio>
#include <fstream>
#include <string>

#include "files/panel_file.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "fuzz_support.h"
#include "hardware/glyphs.h"
#include "link/bootloader_protocol.h"
#include "link/firmware_container.h"
#include "link/frame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
std::filesystem::path corpus;

void seed(const char* fuzzer, const char* name, const Bytes& bytes) {
  const auto folder = corpus / fuzzer;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void append(Bytes& to, std::span<const std::uint8_t> bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}
void append16(Bytes& to, std::size_t v) {
  to.push_back(static_cast<std::uint8_t>(v));
  to.push_back(static_cast<std::uint8_t>(v >> 8));
}

// The default settings image, and the clock memory after a minute's run.
struct Memories {
  Bytes e2, rtc;
  zen::PanelSettings panel;
};

Memories defaultMemories() {
  zen::VirtualHost host(zen::fuzz::hostOptions(60000));
  zen::Instrument& z = host.instrument();
  zen::buildImageFromDefaults(z, true);
  Memories m{{z.e2.bytes.begin(), z.e2.bytes.end()}, {}, {}};
  host.run();
  m.rtc.assign(z.rtc.bytes.begin(), z.rtc.bytes.end());
  m.panel = zen::panelSettingsOf(z);
  return m;
}

// A framed chunk of the link fuzzer's input.
void framed(Bytes& in, std::uint8_t address, const Bytes& payload) {
  in.push_back(static_cast<std::uint8_t>(0x80 | payload.size()));
  in.push_back(address);
  append(in, payload);
}

// One answer to a wait of the update: delay, length, bytes.
void answer(Bytes& in, std::uint8_t delayMs, const Bytes& bytes) {
  in.push_back(delayMs);
  append16(in, bytes.size());
  append(in, bytes);
}

// A session with the bootloader: greeting, acceptance, the second that
// makes it ready, "Update now", the chip's identity, the erase and the three
// pages the fuzzer's image needs; then, with "Full program", the first E2
// bytes before the line goes quiet.
Bytes bootSession(bool full) {
  using namespace zen::boot;
  Bytes in = {0x00 | 6, 'x', 0xE4, 'O', 'K', CR, Accepted, 0x40 | 44, static_cast<std::uint8_t>(0x80 | full)};
  answer(in, 5, {IdentifyChip, ChipSignature[0], ChipSignature[1], ChipSignature[2], CR});
  answer(in, 40, {EraseFlash, CR});
  for (std::size_t page : {std::size_t{0}, std::size_t{1}, ApplicationPages - 1}) {
    Bytes echo = {WritePage, static_cast<std::uint8_t>(pageWordAddress(page) >> 8),
                  static_cast<std::uint8_t>(pageWordAddress(page))};
    echo.resize(PageReply - 1, 0x3C);
    echo.push_back(CR);
    answer(in, 20, echo);
  }
  for (std::uint8_t a = 0; full && a < 3; ++a) answer(in, 2, {WriteE2Byte, 0, a, 0x5A, CR});
  return in;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds CORPUS_FOLDER\n");
    return 2;
  }
  corpus = argv[1];
  const Memories m = defaultMemories();

  // Start-up with every file, with the built-in logo as a custom one, then
  // Menu and a walk through the first menus.
  Bytes files = {7};
  append16(files, m.e2.size());
  append16(files, m.rtc.size());
  append16(files, zen::BuiltInLogoLength);
  append(files, m.e2);
  append(files, m.rtc);
  append(files, zen::BuiltInStartLogo);
  for (std::uint8_t key : {0, 2 | 8 << 3, 2 | 4 << 3, 1 | 4 << 3, 4 | 4 << 3, 0 | 4 << 3})
    files.push_back(key);
  seed("fuzz_program_files", "all-files-menu", files);
  seed("fuzz_program_files", "no-files", {0, 0, 0, 0, 0, 0, 0});

  const Bytes pcf = zen::encodePanelFile(m.panel);
  seed("fuzz_panel_file", "default.pcf", pcf);
  Bytes page2 = pcf;
  page2.push_back(1);
  seed("fuzz_panel_file", "default-page2.pcf", page2);

  // Options 0: a plain instrument. Attitude, heading, an identify reply, a
  // read block reply, memory, an acknowledge, a broken frame and a quiet gap.
  Bytes link = {0, 0, 0, 0};
  framed(link, 0xE0, {zen::AttitudeFrame, 0, 20, 0, 5, 0, 0, 0, 3, 0, 0, 0, 90, 0, 0, 0, 12, 0});
  framed(link, 0xE0, {zen::HeadingFrame, 0x0E, 0x01});
  Bytes identify = {zen::ReplyFrame, zen::Identify, 11};
  for (char c : std::string("ZN260607001")) identify.push_back(static_cast<std::uint8_t>(c));
  identify.push_back(7);
  for (char c : std::string("260607X")) identify.push_back(static_cast<std::uint8_t>(c));
  framed(link, 0xE0, identify);
  Bytes block = {zen::ReplyFrame, zen::ReadE2Block};
  for (int i = 0; i < 17; ++i) block.push_back(static_cast<std::uint8_t>(i));
  framed(link, 0xE0, block);
  framed(link, 0xE0, {zen::ReplyFrame, zen::ReadRam, 1, 2, 3});
  framed(link, 0xE0, {zen::AcknowledgeFrame});
  append(link, Bytes{0x05, zen::FrameStartByte, 0xE0, 0x10, zen::AttitudeFrame, 1});
  link.push_back(0x40);
  seed("fuzz_link_frames", "replies-and-records", link);
  // A dual-panel slave (option bit 18) fed its three blocks by its master.
  Bytes slave = {0, 0, 4, 0};
  for (std::uint8_t kind = 0; kind < 3; ++kind) {
    Bytes b = {zen::LinkBlockFrame, kind};
    for (int i = 0; i < 32; ++i) b.push_back(static_cast<std::uint8_t>(i * 7));
    framed(slave, 0xE2, b);
  }
  seed("fuzz_link_frames", "slave-blocks", slave);

  // Every frame type, once a second, with values the unit sends.
  const zen::EngineFrames slots;
  const auto afterType = [](const auto& slot) { return slot.bytes.size() - 1; };
  const std::size_t setBytes = afterType(slots.type1) + afterType(slots.type2) + afterType(slots.type3) +
                               afterType(slots.type4) + afterType(slots.type5);
  Bytes engine = {1, 0};
  for (int set = 0; set < 4; ++set) {
    engine.push_back(0x1F | 4 << 5);
    for (std::size_t i = 0; i < setBytes; ++i) engine.push_back(static_cast<std::uint8_t>(set * 31 + i * 13));
  }
  seed("fuzz_engine_frames", "every-type", engine);

  auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
  seed("fuzz_ini_file", "sm-ini",
       text(std::string("\x05") + "300" + '\0' +
            "[General]\r\nPORT=3\r\n\r\n[settings]\r\nSlider1=100\r\nSlider2=250\r\n"
            "; kept\r\n[settings2]\r\nSlider1=500\r\n[Devices]\r\nCOM3=/dev/ttyUSB0\r\n"));
  seed("fuzz_ini_file", "odd",
       text(std::string("\x02") + " x \r" + '\0' +
            "\xEF\xBB\xBF  [ general ]  \nport = +7\n=no key\n[Devices\nCOM1=a=b\r\r\n"));

  seed("fuzz_scenario", "flight",
       text("# take-off\nt,altitude_ft,ias_mph,heading_deg,engine_on,rpm,tc3_c,oil_pressure_bar,raw_bar21\n"
            "0,0,0,350,1,2200,150,4.0,500\n60.5,500,75,10,1,5600,260,5.1,900\n"));
  seed("fuzz_scenario", "live-header-and-line", text("ias_mph,bank_deg,attitude_on\n90,-30,1\n"));

  Bytes code(160, 0x0C), e2(32, 0xE2);
  code[zen::CarriedVersionOffset] = 7;
  std::copy_n("260607Z", 7, code.begin() + zen::CarriedVersionOffset + 1);
  Bytes program(48, 0x90);
  append(program, zen::buildContainer(code, e2));
  seed("fuzz_firmware_container", "program-with-container", program);
  // A second, later container, cut one byte short: refused at start-up.
  Bytes twice = program;
  append(twice, zen::buildContainer(Bytes(20, 0x01), Bytes(8, 0x02)));
  twice.pop_back();
  seed("fuzz_firmware_container", "second-container-cut-short", twice);

  seed("fuzz_bootloader", "update", bootSession(false));
  seed("fuzz_bootloader", "full-program-cut-short", bootSession(true));
  return 0;
}
