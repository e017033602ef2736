#include "link/firmware_container.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "support/test_files.h"

namespace zen {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size, std::uint8_t seed) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 256);
  return b;
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A header with the given lengths and `data` bytes after it.
Bytes header(std::uint32_t code, std::uint32_t e2, std::size_t data) {
  const auto marker = containerMarker();
  Bytes out(marker.begin(), marker.end());
  for (std::uint32_t v : {code, e2})
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
  out.resize(out.size() + data, 0x11);
  return out;
}

TEST(FirmwareContainerTest, PartsComeBackAndTheChoiceOfMarkerDecides) {
  const Bytes program(5000, 0x90);
  const Bytes codeA = pattern(300, 9), e2A = pattern(4096, 1);
  const Bytes codeB = pattern(FirmwareImageSize, 200), e2B = pattern(17, 5);
  const Bytes containerA = buildContainer(codeA, e2A);
  const Bytes file = join({program, containerA, buildContainer(codeB, e2B)});
  // Both parts are scrambled in the file.
  EXPECT_EQ(std::search(file.begin(), file.end(), codeA.begin(), codeA.begin() + 32), file.end());

  const ContainerFind first = findContainer(file, MarkerChoice::First);
  const ContainerFind last = findContainer(file, MarkerChoice::Last);
  ASSERT_TRUE(first.found() && last.found());
  EXPECT_EQ(first.offset, program.size());
  EXPECT_EQ(last.offset, program.size() + containerA.size());
  EXPECT_EQ(first.code, codeA);
  EXPECT_EQ(first.e2, e2A);
  EXPECT_EQ(last.code, codeB);
  EXPECT_EQ(last.e2, e2B);
  EXPECT_EQ(findContainer(program, MarkerChoice::Last).status, ContainerFind::Status::NotFound);
}

TEST(FirmwareContainerTest, LengthsThatDoNotFitAreRefusedWithoutReadingPastTheFile) {
  struct Case {
    const char* name;
    Bytes file;
    const char* says;
  } cases[] = {
      {"code larger than the flash", header(FirmwareImageSize + 1, 0, FirmwareImageSize + 1), "code part"},
      {"E2 larger than the E2", header(0, DefaultE2Size + 1, DefaultE2Size + 1), "E2 part"},
      {"parts past the end", header(100, 10, 109), "ends 109 bytes"},
      {"header cut off", header(0, 0, 0), "header"},
  };
  for (Case& c : cases) {
    if (std::string(c.name) == "header cut off") c.file.resize(9);
    // Copied to an exact-size buffer, so a read past the end shows under the sanitizers.
    const std::vector<std::uint8_t> exact(c.file);
    const ContainerFind found = findContainer(exact, MarkerChoice::First);
    EXPECT_EQ(found.status, ContainerFind::Status::Refused) << c.name;
    EXPECT_NE(found.refusal.find(c.says), std::string::npos) << c.name << ": " << found.refusal;
    EXPECT_TRUE(found.code.empty() && found.e2.empty()) << c.name;
  }
  // Exactly fitting parts are fine.
  EXPECT_TRUE(
      findContainer(buildContainer(Bytes(FirmwareImageSize, 1), Bytes(DefaultE2Size, 2)), MarkerChoice::Last)
          .found());
}

TEST(FirmwareContainerTest, CarriedVersionIsALengthAndUpToSevenCharacters) {
  struct Case {
    std::uint8_t length;
    const char* expected;
  } cases[] = {{7, "260607X"}, {3, "260"}, {0, ""}, {200, "260607X"}};
  for (const Case& c : cases) {
    std::array<std::uint8_t, FirmwareImageSize> image;
    image.fill(0xFF);
    image[CarriedVersionOffset] = c.length;
    std::copy_n("260607X", 7, image.begin() + CarriedVersionOffset + 1);
    EXPECT_EQ(carriedVersionOf(image), c.expected) << int(c.length);
    EXPECT_EQ(carriedVersionProblem(image).has_value(), c.length == 0 || c.length > 7) << int(c.length);
  }
  std::array<std::uint8_t, FirmwareImageSize> erased;
  erased.fill(0xFF);
  erased[CarriedVersionOffset] = 7;
  EXPECT_NE(carriedVersionProblem(erased).value_or("").find("no printable character"), std::string::npos);
}

constexpr std::array<std::uint8_t, 4> ElfMagic = {0x7F, 'E', 'L', 'F'};

// Build folders to scan: this one, and every other build beside the sources
// (the sanitizer build, for one).
std::vector<std::filesystem::path> buildFolders() {
  namespace fs = std::filesystem;
  std::vector<fs::path> folders{fs::canonical(ZENARA_BINARY_DIR)};
  for (const fs::directory_entry& entry : fs::directory_iterator(ZENARA_SOURCE_DIR)) {
    if (!entry.is_directory() || !entry.path().filename().string().starts_with("build")) continue;
    if (fs::exists(entry.path() / "CMakeCache.txt") && fs::canonical(entry.path()) != folders[0])
      folders.push_back(fs::canonical(entry.path()));
  }
  return folders;
}

// The program must never find itself: no program built here may carry the
// marker's five bytes, except a packed copy whose container ends the file.
TEST(FirmwareContainerTest, NoBuiltProgramCarriesTheMarker) {
  namespace fs = std::filesystem;
  int scanned = 0;
  for (const fs::path& folder : buildFolders()) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file() ||
          (entry.status().permissions() & fs::perms::owner_exec) == fs::perms::none)
        continue;
      const Bytes file = test::readBytes(entry.path());
      if (file.size() < ElfMagic.size() || !std::equal(ElfMagic.begin(), ElfMagic.end(), file.begin()))
        continue;
      ++scanned;
      const ContainerFind found = findContainer(file, MarkerChoice::First);
      if (found.status == ContainerFind::Status::NotFound) continue;
      const bool packedCopy =
          found.found() &&
          found.offset + ContainerHeaderSize + found.code.size() + found.e2.size() == file.size();
      EXPECT_TRUE(packedCopy) << entry.path() << " carries the marker at " << found.offset;
    }
  }
  EXPECT_GE(scanned, 3) << "no programs found under " << ZENARA_BINARY_DIR;
}

}  // namespace
}  // namespace zen
