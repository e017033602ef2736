#include "hardware/screen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "hardware/glyphs.h"

namespace zen {

namespace {
constexpr int ScreenPixels = ScreenWidth * ScreenHeight;
constexpr std::uint8_t NoGlyph[8] = {};

// The eight text pixels of each display byte, leftmost from bit 7: text is
// drawn a byte at a time, and menus fill the screen with it.
constexpr auto TextBytePixels = [] {
  std::array<std::array<TextPixel, 8>, 256> table{};
  for (int byte = 0; byte < 256; ++byte)
    for (int i = 0; i < 8; ++i) table[byte][i] = (byte & (0x80 >> i)) ? TextPixel::Black : TextPixel::Silver;
  return table;
}();

// Work bitmap strips 0..strips-1, rows firstRow.. onwards, to a layer at
// (x0, y0), cut at the screen's edges and the bitmap's last row. Whole rows
// at a time: the attitude display copies the bitmap every frame it moves.
template <typename Pixel>
Screen::CopiedArea copyWorkStrips(const WorkBitmap& work, Pixel* layer, int x0, int y0, int strips,
                                  int firstRow, int rows, Pixel ink, Pixel paper) {
  const int width = std::min(8 * std::min(strips, WorkBitmap::Width / 8), ScreenWidth - x0);
  const int height = std::min({rows, WorkBitmap::Height - firstRow, ScreenHeight - y0});
  if (width <= 0 || height <= 0) return {};
  for (int j = 0; j < height; ++j) {
    Pixel* out = layer + (y0 + j) * ScreenWidth + x0;
    for (int x = 0; x < width; ++x)
      out[x] = ((work.bytes[56 * (x / 8) + firstRow + j] >> (x % 8)) & 1) ? ink : paper;
  }
  return {x0, y0, x0 + width - 1, y0 + height - 1, static_cast<std::uint64_t>(width) * height};
}
}  // namespace

// Pixels are single bytes; memset clears a layer in one go where fill() on
// an enum goes pixel by pixel.
static_assert(sizeof(TextPixel) == 1 && sizeof(GraphicsPixel) == 1);

void Screen::clearTextLayer() {
  std::memset(text_.data(), static_cast<int>(TextPixel::Silver), text_.size());
  dirty_.addAll();
  pixelWrites_ += ScreenPixels;
}

void Screen::clearScreen() {
  std::memset(text_.data(), static_cast<int>(TextPixel::Silver), text_.size());
  std::memset(graphics_.data(), static_cast<int>(GraphicsPixel::White), graphics_.size());
  dirty_.addAll();
  pixelWrites_ += 2 * ScreenPixels;
}

void Screen::writeTextByteAt(std::uint16_t address, std::uint8_t byte) {
  const int row = (address % TextMemoryWrap) / TextBytesPerRow;
  // Display memory past the last row exists on the controller but is never shown.
  if (row >= ScreenHeight) return;
  const int x0 = 8 * (address % TextBytesPerRow);
  if (inverseText) byte = static_cast<std::uint8_t>(~byte);
  std::memcpy(&text_[row * ScreenWidth + x0], TextBytePixels[byte].data(), 8);
  dirty_.add(x0, row);
  dirty_.add(x0 + 7, row);
  pixelWrites_ += 8;
}

void Screen::writeDisplayByte(std::uint8_t byte) {
  writeTextByteAt(textCursor, byte);
  ++textCursor;
}

void Screen::drawGlyphRows(const std::uint8_t* rows, int column, int pixelRow, bool doubleHeight) {
  for (int j = 0; j < 8; ++j) {
    if (doubleHeight) {
      textCursor = static_cast<std::uint16_t>(column + 40 * (pixelRow + 2 * j));
      writeDisplayByte(rows[j]);
      textCursor = static_cast<std::uint16_t>(column + 40 * (pixelRow + 2 * j + 1));
      writeDisplayByte(rows[j]);
    } else {
      textCursor = static_cast<std::uint16_t>(column + 40 * (pixelRow + j));
      writeDisplayByte(rows[j]);
    }
  }
}

void Screen::drawText() {
  for (std::size_t n = 0; n < textBuffer.size(); ++n) {
    const int code = textBuffer[n];
    if (bigText) {
      // Double height has no tiles from 192 up: those characters leave the cells alone.
      if (code < 192) {
        const int index = glyph8IndexDoubleHeight(code);
        drawGlyphRows(index >= 0 ? &GlyphTable8[index * 8] : NoGlyph, textColumn, textPixelRow, true);
      }
    } else {
      const int index = glyph8Index(code);
      drawGlyphRows(index >= 0 ? &GlyphTable8[index * 8] : NoGlyph, textColumn, textPixelRow, false);
    }
    if (textColumn < 39) ++textColumn;
  }
}

void Screen::drawTextAt(std::uint8_t column, std::uint8_t row, std::string_view text) {
  textBuffer.assign(text);
  setTextPosition(column, row);
  drawText();
}

void Screen::drawTextAt(std::uint8_t column, std::uint8_t row, const ShortText& text) {
  textBuffer = text;
  setTextPosition(column, row);
  drawText();
}

void Screen::drawStartLogo() {
  const std::span<const std::uint8_t> logo =
      useCustomLogo ? customLogo : std::span<const std::uint8_t>(BuiltInStartLogo);
  std::size_t pos = 0;
  auto next = [&]() -> std::uint8_t { return pos < logo.size() ? logo[pos++] : (++pos, 0); };
  for (int line = 0; line < 120; ++line) {
    textCursor = static_cast<std::uint16_t>(40 * line);
    std::uint8_t b = next();
    if (b == 0) {
      // Above row 0 lies the picture's margin, which is always background.
      for (int x = 0; x < ScreenWidth; ++x)
        text_[line * ScreenWidth + x] = line > 0 ? text_[(line - 1) * ScreenWidth + x] : TextPixel::Silver;
      dirty_.add(0, line);
      dirty_.add(ScreenWidth - 1, line);
      pixelWrites_ += ScreenWidth;
      continue;
    }
    // A line past the end of the data reads as zeros, so it ends at once.
    while (b != 0) {
      if (b >= 128) {
        for (int i = 0; i < b - 128; ++i) writeDisplayByte(next());
      } else {
        for (int i = 0; i < b; ++i) writeDisplayByte(0);
      }
      b = next();
    }
  }
}

void Screen::drawScalePicture() {
  const int x0 = originX + 16;
  const int y0 = originY;
  for (int s = 0; s < 9; ++s) {
    for (int row = 0; row < 104; ++row) {
      const std::uint8_t byte = ScalePicture[104 * s + row];
      for (int k = 0; k < 8; ++k) {
        const int x = x0 + 8 * s + k;
        const int y = y0 + row;
        if (x >= ScreenWidth || y >= ScreenHeight) continue;
        // On the text layer, so needles drawn and erased over it on the
        // graphics layer leave the scale whole.
        setTextPixel(x, y, (byte & (0x80 >> k)) ? TextPixel::Black : TextPixel::Silver);
      }
    }
  }
}

void Screen::copyWorkToText(std::uint8_t column, std::uint8_t pixelRow, std::uint8_t strips,
                            std::uint8_t firstRow, std::uint8_t rows) {
  noteCopy(copyWorkStrips(work, text_.data(), 8 * column, pixelRow, strips, firstRow, rows, TextPixel::Black,
                          TextPixel::Silver));
}

void Screen::plot(int x, int y) {
  if (x < 0 || y < 0 || x >= ScreenWidth || y >= ScreenHeight) return;
  setGraphicsPixel(x, y, drawColour == 1 ? GraphicsPixel::Black : GraphicsPixel::White);
}

void Screen::plotToggle(int x, int y) {
  if (x < 0 || y < 0 || x >= ScreenWidth || y >= ScreenHeight) return;
  if (drawColour == 1) {
    const bool black = graphics_[y * ScreenWidth + x] == GraphicsPixel::Black;
    setGraphicsPixel(x, y, black ? GraphicsPixel::White : GraphicsPixel::Black);
  } else {
    setGraphicsPixel(x, y, GraphicsPixel::White);
  }
}

template <typename Plot>
void Screen::bresenham(int x0, int y0, int x1, int y1, Plot plotPoint) {
  const int dx = std::abs(x1 - x0);
  const int dy = std::abs(y1 - y0);
  const int sx = x1 >= x0 ? 1 : -1;
  const int sy = y1 >= y0 ? 1 : -1;
  const bool xMajor = dy < dx;
  const int major = xMajor ? dx : dy;
  const int minor = xMajor ? dy : dx;
  // Thick lines widen across the major axis: y for flat lines, x for steep ones.
  const int acrossX = xMajor ? 0 : 1;
  const int acrossY = xMajor ? 1 : 0;
  int x = x0;
  int y = y0;
  plotPoint(x, y);
  int error = -(major / 2);
  for (int step = 0; step < major; ++step) {
    (xMajor ? x : y) += xMajor ? sx : sy;
    error += minor;
    if (error > 0) {
      (xMajor ? y : x) += xMajor ? sy : sx;
      error -= major;
    }
    plotPoint(x, y);
    if (step + 1 < major) {
      if (lineWidth >= 2) plotPoint(x - acrossX, y - acrossY);
      if (lineWidth >= 3) plotPoint(x + acrossX, y + acrossY);
    }
  }
}

template <typename Plot>
void Screen::clampedLineTo(int x, int y, Plot plotPoint) {
  if (x > ScreenWidth - 1) x = ScreenWidth - 1;
  if (y > ScreenHeight - 1) y = ScreenHeight - 1;
  bresenham(penX, penY, x, y, plotPoint);
  penX = static_cast<std::uint16_t>(x);
  penY = static_cast<std::uint8_t>(y);
}

void Screen::lineTo(int x, int y) {
  clampedLineTo(x, y, [this](int px, int py) { plot(px, py); });
}

void Screen::lineToggle(int x, int y) {
  clampedLineTo(x, y, [this](int px, int py) { plotToggle(px, py); });
}

void Screen::drawBracket(std::uint8_t row, std::uint8_t column, std::uint8_t width) {
  const int h = bigText ? 15 : 7;
  const int top = 8 * row;
  const int left = 8 * column + 4;
  const int right = 8 * column + 8 * (width + 1) + 4;
  for (int y = top; y <= top + h; ++y) {
    plot(left, y);
    plot(right, y);
  }
  for (int x = left; x <= right; ++x) plot(x, top + h);
}

void Screen::drawSmallText() {
  for (std::size_t n = 0; n < textBuffer.size(); ++n) {
    const int code = textBuffer[n];
    const std::uint8_t* rows = NoGlyph;
    int rowCount = 8;
    int columns = 8;
    int advance = 8;
    int advanceLimit = 311;
    if (code < 128) {
      rows = code >= 32 ? &GlyphTable5x7[(code - 32) * 7] : NoGlyph;
      rowCount = 7;
      columns = 7;
      advance = 6;
      advanceLimit = 313;
    } else {
      const int index = code + 13;
      rows = index < 192 ? &GlyphTable8[index * 8] : NoGlyph;
    }
    const GraphicsPixel ink = drawColour == 1 ? GraphicsPixel::Black : GraphicsPixel::Silver;
    for (int j = 0; j < rowCount; ++j) {
      for (int l = 0; l < columns; ++l) {
        if (!(rows[j] & (0x80 >> l))) continue;
        const int x = penX + l;
        const int y = penY + j;
        if (x < ScreenWidth && y < ScreenHeight) setGraphicsPixel(x, y, ink);
      }
    }
    if (penX < advanceLimit) penX = static_cast<std::uint16_t>(penX + advance);
  }
}

void Screen::copyWorkToGraphics(std::uint8_t column, std::uint8_t pixelRow) {
  noteCopy(copyWorkStrips(work, graphics_.data(), 8 * column, pixelRow, 10, 0, WorkBitmap::Height,
                          GraphicsPixel::Black, GraphicsPixel::White));
}

void Screen::noteCopy(const CopiedArea& area) {
  if (area.pixels == 0) return;
  dirty_.add(area.left, area.top);
  dirty_.add(area.right, area.bottom);
  pixelWrites_ += area.pixels;
}

void Screen::workPlot(int x, int y) {
  if (x < 0 || y < 0 || x >= WorkBitmap::Width || y > WorkBitmap::Height - 1) return;
  std::uint8_t& byte = work.bytes[56 * (x / 8) + y];
  const std::uint8_t mask = static_cast<std::uint8_t>(1 << (x % 8));
  if (drawColour == 1)
    byte |= mask;
  else
    byte = static_cast<std::uint8_t>(byte & ~mask);
}

void Screen::workLineTo(int x, int y) {
  if (x >= 128) x = 127;
  if (y >= 64) y = 63;
  bresenham(penX, penY, x, y, [this](int px, int py) { workPlot(px, py); });
  penX = static_cast<std::uint16_t>(x);
  penY = static_cast<std::uint8_t>(y);
}

void Screen::workFill(int corner) {
  const int startRow = (corner == 0 || corner == 1) ? 0 : 55;
  const int startColumn = (corner == 1 || corner == 2) ? 79 : 0;
  auto isSet = [this](int x, int y) { return work.pixel(x, y); };
  auto set = [this](int x, int y) {
    work.bytes[56 * (x / 8) + y] |= static_cast<std::uint8_t>(1 << (x % 8));
  };
  auto fillRow = [&](int row) {
    // A start pixel already set is the boundary itself: scanning on from the
    // column beside it would cross into the other side.
    if (isSet(startColumn, row)) return false;
    bool progress = false;
    for (int x = startColumn; x <= 79 && !isSet(x, row); ++x) {
      set(x, row);
      progress = true;
    }
    for (int x = startColumn - 1; x >= 0 && !isSet(x, row); --x) {
      set(x, row);
      progress = true;
    }
    return progress;
  };
  // A corner on the boundary has nothing on its side to fill.
  if (!fillRow(startRow)) return;
  for (int row = startRow + 1; row <= 55; ++row)
    if (!fillRow(row)) break;
  for (int row = startRow - 1; row >= 0; --row)
    if (!fillRow(row)) break;
}

void Screen::workText(std::string_view text, int row) {
  ShortText t;
  t.assign(text);
  workText(t, row);
}

void Screen::workText(const ShortText& text, int row) {
  for (int i = 0; i < 7; ++i) {
    int counter = 0;
    for (std::size_t n = 0; n < text.size(); ++n) {
      const int code = text[n];
      const std::uint8_t byte = (code >= 32 && code < 128) ? GlyphTable5x7[(code - 32) * 7 + i] : 0;
      for (int mask = 64; mask >= 4; mask >>= 1) {
        if ((byte & mask) && counter < WorkBitmap::Width && row + i < WorkBitmap::Height && row + i >= 0)
          work.bytes[56 * (counter / 8) + row + i] |= static_cast<std::uint8_t>(1 << (counter % 8));
        ++counter;
      }
      ++counter;
    }
  }
}

std::uint8_t Screen::compositePixel(int x, int y) const {
  const GraphicsPixel g = graphics_[y * ScreenWidth + x];
  if (g == GraphicsPixel::Black) return 1;
  if (g == GraphicsPixel::Silver) return 0;
  return text_[y * ScreenWidth + x] == TextPixel::Black ? 1 : 0;
}

static_assert(ScreenPixels == 76800);

}  // namespace zen
