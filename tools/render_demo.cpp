// Draws every piece of the instrument's artwork on the simulated screen and
// saves the screens as PNG files, to judge the art without the instrument.
// Needs no display.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "hardware/glyphs.h"
#include "hardware/screen.h"
#include "hardware/short_text.h"
#include "sim/qt/screen_image.h"

namespace {

constexpr int Pages = 3;

void usage(std::FILE* out) {
  std::fprintf(out,
               "usage: render_demo OUT.png [zoom]\n"
               "\n"
               "Draws the instrument's artwork on the 320 x 240 screen and writes %d pages,\n"
               "each a PNG of the screen as seen (silver and black), zoom 1 to 16 (default 1):\n"
               "  OUT.png    the 8 x 8 character set, codes 32..178 and 192..236, 16 a line\n"
               "             with the first code of each line at its left\n"
               "  OUT-2.png  large digits, bar graphs at normal and double height, the tank\n"
               "             scale legend, the 5 x 7 face and sample readings\n"
               "  OUT-3.png  the built-in start-up logo and the rev counter scale picture\n"
               "Example: render_demo art.png 2\n",
               Pages);
}

std::string pagePath(const std::string& first, int page) {
  if (page == 1) return first;
  const std::size_t slash = first.find_last_of('/');
  std::size_t dot = first.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = first.size();
  return first.substr(0, dot) + "-" + std::to_string(page) + first.substr(dot);
}

zen::ShortText codes(std::initializer_list<int> list) {
  zen::ShortText t;
  for (int c : list) t.push(static_cast<std::uint8_t>(c));
  return t;
}

// One line of glyphs with a blank between them, led by the first code.
void glyphLine(zen::Screen& s, int row, int first, int last) {
  char label[8];
  std::snprintf(label, sizeof label, "%3d", first);
  s.drawTextAt(0, static_cast<std::uint8_t>(row), label);
  zen::ShortText t;
  for (int c = first; c <= last; ++c) {
    t.push(static_cast<std::uint8_t>(c));
    t.push(' ');
  }
  s.drawTextAt(4, static_cast<std::uint8_t>(row), t);
}

void drawCharacterSet(zen::Screen& s) {
  s.drawTextAt(0, 0, "8x8 CHARACTER SET");
  int row = 2;
  for (int first = 32; first <= 178; first += 16, row += 2)
    glyphLine(s, row, first, std::min(first + 15, 178));
  for (int first = 192; first <= 236; first += 16, row += 2)
    glyphLine(s, row, first, std::min(first + 15, 236));
}

void smallText(zen::Screen& s, int x, int y, const zen::ShortText& text) {
  s.textBuffer = text;
  s.setPen(static_cast<std::uint16_t>(x), static_cast<std::uint8_t>(y));
  s.drawSmallText();
}

void drawLargeDigitsAndBars(zen::Screen& s) {
  s.drawTextAt(0, 0, "LARGE DIGITS");
  zen::ShortText upper, lower;
  for (int cell = 0; cell < zen::LargeDigitCells; ++cell) {
    upper.push(zen::largeDigitUpper(cell));
    lower.push(zen::largeDigitLower(cell));
    upper.push(' ');
    lower.push(' ');
  }
  s.drawTextAt(0, 1, upper);
  s.drawTextAt(0, 2, lower);
  // A reading as the firmware writes one, here "-12.5".
  s.drawTextAt(30, 1, codes({202, 193, 194, 203, 197}));
  s.drawTextAt(30, 2, codes({216, 207, 208, 217, 211}));

  s.drawTextAt(0, 4, "BARS");
  s.drawTextAt(5, 4, codes({128, 129, 130, 131, 132, 133, 134, 135, 136}));
  // A fuel bar with rounded ends and its scale legend below.
  s.drawTextAt(16, 4, codes({137, 135, 135, 135, 135, 133, 128, 128, 128, 140}));
  s.drawTextAt(16, 5, codes({144, ' ', ' ', ' ', 143, ' ', ' ', ' ', ' ', 145}));
  s.drawTextAt(28, 4, codes({220, 135, 135, 132, 128, 223, ' ', 224, 225, 141}));
  s.bigText = 1;
  s.setTextPosition(0, 6);
  s.textBuffer = codes({128, 129, 130, 131, 132, 133, 134, 135, 136});
  s.drawText();
  s.setTextPosition(16, 6);
  s.textBuffer = codes({137, 135, 135, 135, 131, 128, 128, 128, 128, 138});
  s.drawText();
  s.bigText = 0;

  s.drawTextAt(0, 9, "UNITS");
  s.drawTextAt(6, 9, codes({150, 151, ' ', 152, 153, ' ', 158, 159, 160, 161, 162, 163, 164,
                            165, 166, 167, 168, 169, 170, 171, 172, 174, 175, 176, 177, 178}));
  s.drawTextAt(0, 11,
               codes({'1', '2', '5', 166, ' ', '4', '5', '0', '0', 158, ' ', '8', '5', 160, ' ', '1', '8',
                      '5', 161, ' ', '2', '4', 162, ' ', '3', '5', '0', 174, ' ', '2', '7', '0', 177}));
  s.drawTextAt(0, 13, "Corvalen Orvex Zenara: jog, 1/4 lb? [ok]");

  s.drawColour = 1;
  smallText(s, 0, 120, zen::ShortText("5X7 FACE"));
  for (int line = 0; line < 3; ++line) {
    zen::ShortText t;
    for (int c = 32 + 32 * line; c < 64 + 32 * line; ++c) t.push(static_cast<std::uint8_t>(c));
    smallText(s, 0, 132 + 10 * line, t);
  }
  smallText(s, 0, 168, zen::ShortText("The quick fox jumps over the lazy dog."));
  smallText(s, 0, 178, zen::ShortText("OIL 85 PSI  CHT 380 F  FUEL 24.5 gal"));
  s.drawColour = 0;
}

void drawLogoAndScale(zen::Screen& s) {
  s.drawStartLogo();
  s.originX = 124 - 16;
  s.originY = 128;
  s.drawScalePicture();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    usage(stdout);
    return 0;
  }
  if (argc < 2 || argc > 3 || argv[1][0] == '-') {
    if (argc >= 2 && argv[1][0] == '-') std::fprintf(stderr, "render_demo: unknown option %s\n", argv[1]);
    usage(stderr);
    return 2;
  }
  int zoom = 1;
  if (argc == 3) {
    char* end = nullptr;
    const long z = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || z < 1 || z > zen::MaxImageZoom) {
      std::fprintf(stderr, "render_demo: zoom must be a whole number from 1 to %d\n", zen::MaxImageZoom);
      return 2;
    }
    zoom = static_cast<int>(z);
  }

  void (*const pages[Pages])(zen::Screen&) = {drawCharacterSet, drawLargeDigitsAndBars, drawLogoAndScale};
  for (int page = 1; page <= Pages; ++page) {
    // The screen is large; keep it off the stack.
    const auto screen = std::make_unique<zen::Screen>();
    pages[page - 1](*screen);
    const std::string path = pagePath(argv[1], page);
    if (auto error = zen::writeScreenPng(*screen, path, zoom)) {
      std::fprintf(stderr, "render_demo: %s: %s\n", path.c_str(), error->c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
