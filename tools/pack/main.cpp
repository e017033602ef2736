// zenara-pack: appends a firmware container (a flash image and a default E2
// image) to a copy of the zenara program, which can then update an
// instrument through its bootloader; --extract reads a container back.
#include <getopt.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "files/intel_hex.h"
#include "link/bootloader_protocol.h"
#include "link/firmware_container.h"
#include "sim/atomic_file.h"
#include "sim/program_files.h"
#include "tools/option_errors.h"

extern char** environ;

using namespace zen;

namespace {

constexpr const char* Help = R"(Usage: zenara-pack --flash FILE --e2 FILE -o OUTPUT [--program FILE]
       zenara-pack --extract PACKED [--flash-out FILE] [--e2-out FILE]

Builds a copy of the zenara program that carries new instrument firmware:
Connect > Upgrade/change Orvex firmware in that copy writes the flash image
to the instrument through its bootloader ("Full program" also writes the
E2 image). The parts are scrambled as the bootloader expects.

Options:
  --flash FILE      the flash image, at most 131072 bytes: Intel HEX (.hex,
                    .ihx) or a raw binary (any other name)
                    example: --flash orvex-260607X.hex
  --e2 FILE         the default E2 settings, exactly 4096 bytes
                    example: --e2 default-e2.bin
  --program FILE    the zenara program to copy (default: zenara beside zenara-pack)
                    example: --program build/zenara
  -o, --output FILE the packed program to write (made executable)
                    example: -o zenara-260607X
  --extract PACKED  read the container of a packed program back, as the
                    program itself would find it
                    example: --extract zenara-260607X
  --flash-out FILE  with --extract: write the flash part there
                    example: --flash-out flash-check.bin
  --e2-out FILE     with --extract: write the E2 part there
                    example: --e2-out e2-check.bin
  --any-version     pack a flash image without a valid version (length 1..7
                    at offset 145, then printable characters), e.g. a test one
                    example: --any-version
  --help            this text

The program reads only the first 4 MiB (+1 byte) of its own file; a bigger
copy loses its debugging information (objcopy --strip-debug) to fit.
Bytes from 0x1F800 on are never sent to the instrument, and the start-up
logo with its length overwrites the bytes just below 0x1F800.
)";

// Files of any size we read whole: programs with debugging information are big.
constexpr std::size_t AnyFileLimit = std::size_t{1} << 30;
// The largest start-up logo and its length word.
constexpr std::size_t LogoArea = MaxLogoBytes + 2;

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "zenara-pack: %s\n", message.c_str());
  std::exit(1);
}

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "zenara-pack: %s (see --help)\n", message.c_str());
  std::exit(2);
}

std::vector<std::uint8_t> readWhole(const std::filesystem::path& path, std::size_t limit = AnyFileLimit) {
  ReadResult read = readFilePrefix(path, limit);
  if (read.missing) fail(path.string() + ": no such file");
  if (read.error) fail(path.string() + ": " + *read.error);
  return std::move(read.bytes);
}

void writeOut(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (auto error = writeFileAtomically(path, bytes)) fail(path.string() + ": " + *error);
}

bool isHexName(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".hex" || ext == ".ihx" || ext == ".ihex";
}

std::vector<std::uint8_t> readFlash(const std::filesystem::path& path) {
  // As text a full flash image takes about three times its size.
  std::vector<std::uint8_t> bytes = readWhole(path, isHexName(path) ? AnyFileLimit : FirmwareImageSize + 1);
  if (isHexName(path)) {
    auto decoded = decodeIntelHex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                  FirmwareImageSize);
    if (auto* error = std::get_if<HexError>(&decoded))
      fail(path.string() + ", line " + std::to_string(error->line) + ": " + error->reason);
    return std::move(std::get<HexImage>(decoded).bytes);
  }
  if (bytes.size() > FirmwareImageSize)
    fail(path.string() + ": a flash image holds at most " + std::to_string(FirmwareImageSize) + " bytes");
  return bytes;
}

bool anyData(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to) {
  to = std::min(to, bytes.size());
  return from < to &&
         std::any_of(bytes.begin() + from, bytes.begin() + to, [](std::uint8_t b) { return b != 0xFF; });
}

// A copy of the program without debugging information, or an empty vector.
std::vector<std::uint8_t> stripDebug(const std::filesystem::path& program,
                                     const std::filesystem::path& scratch) {
  std::string in = program.string(), out = scratch.string();
  char objcopy[] = "objcopy", option[] = "--strip-debug";
  char* argv[] = {objcopy, option, in.data(), out.data(), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, "objcopy", nullptr, nullptr, argv, environ) != 0) return {};
  int status = 0;
  if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  ReadResult read = readFilePrefix(scratch, AnyFileLimit);
  std::error_code ignored;
  std::filesystem::remove(scratch, ignored);
  return read.error ? std::vector<std::uint8_t>{} : std::move(read.bytes);
}

// The flash part as the program holds it: 0xFF where the part ends.
std::array<std::uint8_t, FirmwareImageSize> flashImage(std::span<const std::uint8_t> code) {
  std::array<std::uint8_t, FirmwareImageSize> image;
  image.fill(0xFF);
  std::copy_n(code.begin(), std::min(code.size(), image.size()), image.begin());
  return image;
}

void describe(const ContainerFind& found, const char* what) {
  std::printf("%s: container at offset %zu, flash part %zu bytes, E2 part %zu bytes\n", what, found.offset,
              found.code.size(), found.e2.size());
  const auto image = flashImage(found.code);
  if (auto problem = carriedVersionProblem(image))
    std::printf("carried firmware version: none (%s)\n", problem->c_str());
  else
    std::printf("carried firmware version: \"%s\"\n", carriedVersionOf(image).c_str());
}

int pack(const std::filesystem::path& flashFile, const std::filesystem::path& e2File,
         const std::filesystem::path& programFile, const std::filesystem::path& output, bool anyVersion) {
  const std::vector<std::uint8_t> flash = readFlash(flashFile);
  if (auto problem = carriedVersionProblem(flashImage(flash)); problem && !anyVersion)
    fail(flashFile.string() + " carries no firmware version: " + *problem +
         ". Pass --any-version to pack it all the same.");
  const std::vector<std::uint8_t> e2 = readWhole(e2File, DefaultE2Size + 1);
  if (e2.size() != DefaultE2Size)
    fail(e2File.string() + ": an E2 image holds exactly " + std::to_string(DefaultE2Size) +
         " bytes, this one " + std::to_string(e2.size()));
  if (anyData(flash, boot::ApplicationBytes, flash.size()))
    std::fprintf(stderr, "zenara-pack: note: %s has data from 0x1F800 on, which is never sent\n",
                 flashFile.string().c_str());
  if (anyData(flash, boot::ApplicationBytes - LogoArea, boot::ApplicationBytes))
    std::fprintf(stderr, "zenara-pack: note: %s has data just below 0x1F800, where the start-up logo goes\n",
                 flashFile.string().c_str());

  std::vector<std::uint8_t> program = readWhole(programFile);
  // A packed program is packed again from its own part only.
  const ContainerFind carried = findContainer(program, MarkerChoice::First);
  if (carried.status != ContainerFind::Status::NotFound) {
    std::fprintf(stderr, "zenara-pack: note: replacing the firmware carried by %s\n",
                 programFile.string().c_str());
    program.resize(carried.offset);
  }
  const std::vector<std::uint8_t> container = buildContainer(flash, e2);
  if (program.size() + container.size() > MaxProgramFileBytes) {
    std::filesystem::path scratch = output;
    scratch += ".strip-" + std::to_string(::getpid());
    std::filesystem::path source = programFile;
    if (carried.status != ContainerFind::Status::NotFound) {
      writeOut(scratch.string() + "-in", program);
      source = scratch.string() + "-in";
    }
    std::vector<std::uint8_t> stripped = stripDebug(source, scratch);
    if (source != programFile) std::filesystem::remove(source);
    if (stripped.empty())
      fail("cannot strip the debugging information of " + programFile.string() + " with objcopy");
    program = std::move(stripped);
    std::fprintf(stderr, "zenara-pack: note: debugging information left out to stay within 4 MiB\n");
  }
  if (program.size() + container.size() > MaxProgramFileBytes)
    fail(programFile.string() + " is too big: the program reads only the first " +
         std::to_string(MaxProgramFileBytes) + " bytes of its own file");
  program.insert(program.end(), container.begin(), container.end());

  // The program must find exactly this container, whichever way it scans.
  for (MarkerChoice choice : {MarkerChoice::First, MarkerChoice::Last}) {
    const ContainerFind found = findContainer(program, choice);
    if (!found.found() || found.code != flash || found.e2 != e2)
      fail("the packed program would not find its firmware (" + programFile.string() +
           " or the flash data holds the container's marker); nothing written");
  }
  writeOut(output, program);
  std::error_code ignored;
  std::filesystem::permissions(
      output, std::filesystem::status(programFile).permissions() | std::filesystem::perms::owner_exec,
      ignored);
  describe(findContainer(program, MarkerChoice::Last), output.string().c_str());
  return 0;
}

int extract(const std::filesystem::path& packed, const std::filesystem::path& flashOut,
            const std::filesystem::path& e2Out) {
  // What the program itself reads of its file.
  const std::vector<std::uint8_t> file = readWhole(packed, MaxProgramFileBytes);
  const ContainerFind atStart = findContainer(file, MarkerChoice::Last);
  const ContainerFind atUpdate = findContainer(file, MarkerChoice::First);
  if (atStart.status == ContainerFind::Status::NotFound) fail(packed.string() + ": no firmware container");
  if (!atStart.found()) fail(packed.string() + ": the firmware container is damaged: " + atStart.refusal);
  if (atUpdate.offset != atStart.offset)
    fail(packed.string() + ": carries more than one container; start-up and update would disagree");
  describe(atStart, packed.string().c_str());
  if (!flashOut.empty()) writeOut(flashOut, atStart.code);
  if (!e2Out.empty()) writeOut(e2Out, atStart.e2);
  return 0;
}

std::filesystem::path besideThisProgram(const char* name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path(name) : self.parent_path() / name;
}

}  // namespace

int main(int argc, char** argv) {
  enum { Flash = 1, E2, Program, Output, Extract, FlashOut, E2Out, AnyVersion, HelpOption };
  const option options[] = {
      {"flash", required_argument, nullptr, Flash},     {"e2", required_argument, nullptr, E2},
      {"program", required_argument, nullptr, Program}, {"output", required_argument, nullptr, Output},
      {"extract", required_argument, nullptr, Extract}, {"flash-out", required_argument, nullptr, FlashOut},
      {"e2-out", required_argument, nullptr, E2Out},    {"any-version", no_argument, nullptr, AnyVersion},
      {"help", no_argument, nullptr, HelpOption},       {nullptr, 0, nullptr, 0},
  };
  std::filesystem::path flash, e2, program = besideThisProgram("zenara"), output, packed, flashOut, e2Out;
  bool anyVersion = false;
  for (int c; (c = getopt_long(argc, argv, ":o:", options, nullptr)) != -1;) {
    switch (c) {
      case Flash:
        flash = optarg;
        break;
      case E2:
        e2 = optarg;
        break;
      case Program:
        program = optarg;
        break;
      case 'o':
      case Output:
        output = optarg;
        break;
      case Extract:
        packed = optarg;
        break;
      case FlashOut:
        flashOut = optarg;
        break;
      case E2Out:
        e2Out = optarg;
        break;
      case AnyVersion:
        anyVersion = true;
        break;
      case HelpOption:
        std::fputs(Help, stdout);
        return 0;
      default:
        usageError(zen::optionProblem(c, argv));
    }
  }
  if (optind < argc) usageError(std::string("unexpected argument \"") + argv[optind] + "\"");
  if (!packed.empty()) {
    if (!flash.empty() || !e2.empty() || !output.empty() || anyVersion)
      usageError("--extract takes only --flash-out and --e2-out");
    return extract(packed, flashOut, e2Out);
  }
  if (!flashOut.empty() || !e2Out.empty()) usageError("--flash-out and --e2-out go with --extract");
  if (flash.empty() || e2.empty() || output.empty()) usageError("--flash, --e2 and -o are needed");
  if (std::filesystem::exists(output) && std::filesystem::equivalent(output, program))
    usageError("-o must not be the program itself");
  return pack(flash, e2, program, output, anyVersion);
}
