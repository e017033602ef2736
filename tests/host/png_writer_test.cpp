#include "host/png_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/screen.h"
#include "host/screen_png.h"
#include "support/temporary_folder.h"
#include "support/test_files.h"

namespace zen {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

std::uint32_t big32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

struct Chunk {
  std::string type;
  std::vector<std::uint8_t> data;
};

struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  std::vector<std::string> chunkTypes;
  int storedBlocks = 0;
  std::string fault;
};

// Reads back only what the writer is meant to produce: RGB 8 bit, stored
// deflate blocks, filter type 0. Anything else is a fault.
Decoded decodePng(const std::vector<std::uint8_t>& file) {
  Decoded d;
  auto fail = [&d](const char* why) {
    d.fault = why;
    return d;
  };
  static constexpr std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(Signature, Signature + 8, file.begin())) return fail("bad signature");
  std::vector<Chunk> chunks;
  for (std::size_t at = 8; at < file.size();) {
    if (at + 12 > file.size()) return fail("truncated chunk");
    const std::uint32_t length = big32(file, at);
    if (at + 12 + length > file.size()) return fail("chunk runs past the end");
    const std::span<const std::uint8_t> typed(file.data() + at + 4, 4 + length);
    if (crc32(typed) != big32(file, at + 8 + length)) return fail("bad CRC");
    chunks.push_back({std::string(typed.begin(), typed.begin() + 4), {typed.begin() + 4, typed.end()}});
    d.chunkTypes.push_back(chunks.back().type);
    at += 12 + length;
  }
  if (chunks.empty() || chunks.front().type != "IHDR" || chunks.front().data.size() != 13)
    return fail("IHDR is not first");
  if (chunks.back().type != "IEND" || !chunks.back().data.empty()) return fail("IEND is not last");
  const auto& h = chunks.front().data;
  d.width = static_cast<int>(big32(h, 0));
  d.height = static_cast<int>(big32(h, 4));
  if (h[8] != 8 || h[9] != 2 || h[10] != 0 || h[11] != 0 || h[12] != 0) return fail("unexpected format");

  std::vector<std::uint8_t> z;
  for (const Chunk& c : chunks)
    if (c.type == "IDAT") z.insert(z.end(), c.data.begin(), c.data.end());
  if (z.size() < 6 || (z[0] & 0x0F) != 8 || ((z[0] << 8) | z[1]) % 31 != 0) return fail("bad zlib header");
  std::vector<std::uint8_t> raw;
  std::size_t at = 2;
  for (bool last = false; !last;) {
    if (at + 5 > z.size()) return fail("truncated block");
    last = z[at] & 1;
    if ((z[at] >> 1) != 0) return fail("not a stored block");
    const unsigned n = z[at + 1] | (z[at + 2] << 8);
    const unsigned complement = z[at + 3] | (z[at + 4] << 8);
    if ((n ^ 0xFFFF) != complement) return fail("bad stored length");
    at += 5;
    if (at + n > z.size()) return fail("block runs past the end");
    raw.insert(raw.end(), z.begin() + at, z.begin() + at + n);
    at += n;
    ++d.storedBlocks;
  }
  if (at + 4 != z.size() || adler32(raw) != big32(z, at)) return fail("bad Adler-32");

  const std::size_t stride = static_cast<std::size_t>(d.width) * 3 + 1;
  if (raw.size() != stride * d.height) return fail("wrong amount of pixel data");
  for (int y = 0; y < d.height; ++y) {
    if (raw[y * stride] != 0) return fail("row filter is not 0");
    d.rgb.insert(d.rgb.end(), raw.begin() + y * stride + 1, raw.begin() + (y + 1) * stride);
  }
  return d;
}

TEST(Checksums, MatchKnownValues) {
  struct Case {
    std::string_view text;
    std::uint32_t crc, adler;
  };
  const Case cases[] = {
      {"", 0x00000000u, 0x00000001u},
      {"123456789", 0xCBF43926u, 0x091E01DEu},
      {"Wikipedia", 0xADAAC02Eu, 0x11E60398u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crc32(bytesOf(c.text)), c.crc) << c.text;
    EXPECT_EQ(adler32(bytesOf(c.text)), c.adler) << c.text;
  }
}

TEST(Checksums, CanBeContinuedPieceByPiece) {
  const auto all = bytesOf("123456789");
  const std::span<const std::uint8_t> s(all);
  EXPECT_EQ(crc32(s.subspan(4), crc32(s.first(4))), crc32(s));
  EXPECT_EQ(adler32(s.subspan(4), adler32(s.first(4))), adler32(s));
}

TEST(EncodePng, DecodesToTheSamePixels) {
  struct Case {
    int width, height;
    int minimumBlocks;
  };
  // The last case needs more than one 65535-byte stored block.
  const Case cases[] = {{1, 1, 1}, {3, 2, 1}, {320, 240, 4}};
  for (const Case& c : cases) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(c.width) * c.height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + i / 3);
    const Decoded d = decodePng(encodePng(c.width, c.height, rgb));
    ASSERT_EQ(d.fault, "") << c.width << "x" << c.height;
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.rgb, rgb);
    EXPECT_GE(d.storedBlocks, c.minimumBlocks);
    EXPECT_EQ(d.chunkTypes, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  }
}

class PngFileTest : public ::testing::Test {
 protected:
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  test::TemporaryFolder folder_;
  const std::filesystem::path dir_ = folder_.path();
};

TEST_F(PngFileTest, WritesTheEncodedFileAndLeavesNoTemporary) {
  const std::vector<std::uint8_t> rgb = {1, 2, 3, 4, 5, 6};
  const auto path = dir_ / "a.png";
  test::writeBytes(path, bytesOf("old contents"));
  std::string error;
  ASSERT_TRUE(writePng(path.string(), 2, 1, rgb, &error)) << error;
  EXPECT_EQ(test::readBytes(path), encodePng(2, 1, rgb));
  EXPECT_EQ(entries(), 1u);
}

TEST_F(PngFileTest, RefusesBadInputAndUnwritablePlaces) {
  const std::vector<std::uint8_t> rgb(12);
  struct Case {
    const char* what;
    std::filesystem::path path;
    int width, height;
  };
  const Case cases[] = {
      {"size mismatch", dir_ / "b.png", 3, 3},
      {"no pixels", dir_ / "c.png", 0, 4},
      {"missing folder", dir_ / "none" / "d.png", 2, 2},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(writePng(c.path.string(), c.width, c.height, rgb, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  EXPECT_EQ(entries(), 0u);
}

TEST_F(PngFileTest, ScreenIsSavedSilverAndBlackAtTheChosenZoom) {
  auto screen = std::make_unique<Screen>();
  screen->setTextPixel(1, 0, TextPixel::Black);
  screen->setGraphicsPixel(319, 239, GraphicsPixel::Black);
  screen->setTextPixel(0, 239, TextPixel::Black);
  screen->setGraphicsPixel(0, 239, GraphicsPixel::Silver);  // silver graphics hides the text below

  for (int zoom : {1, 3}) {
    const auto path = dir_ / ("screen" + std::to_string(zoom) + ".png");
    std::string error;
    ASSERT_TRUE(writeScreenPng(*screen, path.string(), zoom, &error)) << error;
    const Decoded d = decodePng(test::readBytes(path));
    ASSERT_EQ(d.fault, "");
    ASSERT_EQ(d.width, 320 * zoom);
    ASSERT_EQ(d.height, 240 * zoom);
    int black = 0;
    for (int y = 0; y < d.height; ++y) {
      for (int x = 0; x < d.width; ++x) {
        const std::uint8_t* p = &d.rgb[(static_cast<std::size_t>(y) * d.width + x) * 3];
        const bool ink = screen->compositePixel(x / zoom, y / zoom) == 1;
        const std::uint8_t v = ink ? 0 : 192;
        ASSERT_TRUE(p[0] == v && p[1] == v && p[2] == v) << "zoom " << zoom << " at " << x << "," << y;
        black += ink;
      }
    }
    EXPECT_EQ(black, 2 * zoom * zoom);
  }
  std::string error;
  EXPECT_FALSE(writeScreenPng(*screen, (dir_ / "z.png").string(), 0, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace zen
