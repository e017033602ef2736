#include "files/intel_hex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/firmware_container.h"

namespace zen {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IntelHexTest, RecordsBuildTheImage) {
  // Two bytes at 0x0010, an extended linear address of 0x0001 and one byte at 0x10002.
  const std::string hex =
      ":02001000AB1231\r\n"
      ":020000040001F9\n"
      ":01000200CD30\n"
      ":00000001FF\n";
  const auto decoded = decodeIntelHex(hex, FirmwareImageSize);
  ASSERT_TRUE(std::holds_alternative<HexImage>(decoded));
  const Bytes& image = std::get<HexImage>(decoded).bytes;
  ASSERT_EQ(image.size(), 0x10003u);
  EXPECT_EQ(image[0x10], 0xAB);
  EXPECT_EQ(image[0x11], 0x12);
  EXPECT_EQ(image[0x10002], 0xCD);
  EXPECT_EQ(std::count(image.begin(), image.end(), 0xFF), static_cast<long>(image.size()) - 3);
}

TEST(IntelHexTest, BadFilesAreRefusedWithTheirLine) {
  struct Case {
    const char* text;
    std::size_t line;
    const char* says;
  } cases[] = {
      {":02001000AB1232\n:00000001FF\n", 1, "checksum"},
      {":00000001FF\n:01000000AA55\n", 2, "after the end"},
      {":02001000AB12\n", 1, "length"},
      {"\n02001000AB1231\n", 2, "':'"},
      {":020000040002F8\n:0100000000FF\n:00000001FF\n", 2, "does not fit"},
      {":02001000AB1231\n", 1, "end record"},
      {":02001000AG1231\n:00000001FF\n", 1, "hexadecimal"},
  };
  for (const Case& c : cases) {
    const auto decoded = decodeIntelHex(c.text, FirmwareImageSize);
    ASSERT_TRUE(std::holds_alternative<HexError>(decoded)) << c.text;
    const HexError& error = std::get<HexError>(decoded);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.reason.find(c.says), std::string::npos) << c.text << ": " << error.reason;
  }
}

}  // namespace
}  // namespace zen
