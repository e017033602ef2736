// The instrument's 320 x 240 screen: a text layer written like LCD display
// memory, a graphics layer drawn by pixel and line services, the off-screen
// work bitmap, and the drawing state the firmware keeps between calls.
// The services run per pixel, so none of them allocates.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "hardware/short_text.h"

namespace zen {

inline constexpr int ScreenWidth = 320;
inline constexpr int ScreenHeight = 240;
inline constexpr int TextBytesPerRow = 40;
inline constexpr std::uint16_t TextMemoryWrap = 10240;

// Pixel values. Zero is each layer's background so a fresh screen is blank.
enum class TextPixel : std::uint8_t { Silver = 0, Black = 1 };
enum class GraphicsPixel : std::uint8_t { White = 0, Black = 1, Silver = 2 };

// Screen area touched since the window last painted, inclusive bounds.
struct DirtyRect {
  int left = ScreenWidth, top = ScreenHeight, right = -1, bottom = -1;
  bool empty() const { return right < left; }
  void add(int x, int y) {
    if (x < left) left = x;
    if (x > right) right = x;
    if (y < top) top = y;
    if (y > bottom) bottom = y;
  }
  void addAll() { *this = {0, 0, ScreenWidth - 1, ScreenHeight - 1}; }
};

// 80 x 56 pixels in 10 vertical strips of 8 columns; bit 0 is the leftmost
// pixel of a strip (the opposite of the text layer).
struct WorkBitmap {
  static constexpr int Width = 80;
  static constexpr int Height = 56;
  std::array<std::uint8_t, 560> bytes{};
  bool pixel(int x, int y) const { return (bytes[56 * (x / 8) + y] >> (x % 8)) & 1; }
};

class Screen {
 public:
  // --- drawing state (firmware variables) ---
  std::uint16_t textCursor = 0;
  std::uint8_t inverseText = 0;
  std::uint8_t bigText = 0;
  std::uint8_t textColumn = 0;
  std::uint8_t textPixelRow = 0;
  ShortText textBuffer;
  std::uint8_t drawColour = 0;
  std::uint16_t penX = 0;
  std::uint8_t penY = 0;
  std::uint8_t lineWidth = 0;
  WorkBitmap work;
  // Drawing origin of the current panel item, set when an item loads its place.
  std::uint16_t originX = 0;
  std::uint8_t originY = 0;

  // Start-up logo source: the custom logo when set, else the built-in one.
  std::span<const std::uint8_t> customLogo;
  bool useCustomLogo = false;

  // --- text layer services ---
  void clearTextLayer();
  void clearScreen();
  void setTextCursor(std::uint16_t address) { textCursor = address; }
  void writeDisplayByte(std::uint8_t byte);
  void setTextPosition(std::uint8_t column, std::uint8_t row) {
    textColumn = column;
    textPixelRow = static_cast<std::uint8_t>(row * 8);
  }
  void setTextPixelPosition(std::uint8_t column, std::uint8_t pixelRow) {
    textColumn = column;
    textPixelRow = pixelRow;
  }
  void drawText();
  void drawTextAt(std::uint8_t column, std::uint8_t row, std::string_view text);
  void drawTextAt(std::uint8_t column, std::uint8_t row, const ShortText& text);
  void drawStartLogo();
  void drawScalePicture();
  void copyWorkToText(std::uint8_t column, std::uint8_t pixelRow, std::uint8_t strips, std::uint8_t firstRow,
                      std::uint8_t rows);

  // --- graphics layer services ---
  void setPen(std::uint16_t x, std::uint8_t y) {
    penX = x;
    penY = y;
  }
  void plot(int x, int y);
  void plotToggle(int x, int y);
  void lineTo(int x, int y);
  void lineToggle(int x, int y);
  void drawBracket(std::uint8_t row, std::uint8_t column, std::uint8_t width);
  void drawSmallText();
  void copyWorkToGraphics(std::uint8_t column, std::uint8_t pixelRow);

  // --- work bitmap services ---
  void workPlot(int x, int y);
  void workLineTo(int x, int y);
  void workFill(int corner);
  void workText(std::string_view text, int row);
  void workText(const ShortText& text, int row);
  void clearWork() { work.bytes.fill(0); }

  // --- the host's view ---
  TextPixel textPixel(int x, int y) const { return text_[y * ScreenWidth + x]; }
  GraphicsPixel graphicsPixel(int x, int y) const { return graphics_[y * ScreenWidth + x]; }
  // What the user sees: non-white graphics pixels over the text layer.
  // Returns 0 silver, 1 black.
  std::uint8_t compositePixel(int x, int y) const;
  DirtyRect takeDirty() {
    DirtyRect r = dirty_;
    dirty_ = DirtyRect{};
    return r;
  }
  const DirtyRect& dirty() const { return dirty_; }
  // Pixels written since the screen was made, cleared ones included: what a
  // frame costs the display.
  std::uint64_t pixelWrites() const { return pixelWrites_; }

  // Host-side painting of the text layer (not a firmware service).
  void setTextPixel(int x, int y, TextPixel p) {
    text_[y * ScreenWidth + x] = p;
    dirty_.add(x, y);
    ++pixelWrites_;
  }
  void setGraphicsPixel(int x, int y, GraphicsPixel p) {
    graphics_[y * ScreenWidth + x] = p;
    dirty_.add(x, y);
    ++pixelWrites_;
  }

  // What a work bitmap copy covered.
  struct CopiedArea {
    int left = 0, top = 0, right = -1, bottom = -1;
    std::uint64_t pixels = 0;
  };

 private:
  void noteCopy(const CopiedArea& area);
  template <typename Plot>
  void bresenham(int x0, int y0, int x1, int y1, Plot plotPoint);
  template <typename Plot>
  void clampedLineTo(int x, int y, Plot plotPoint);
  void drawGlyphRows(const std::uint8_t* rows, int column, int pixelRow, bool doubleHeight);
  void writeTextByteAt(std::uint16_t address, std::uint8_t byte);

  std::array<TextPixel, ScreenWidth * ScreenHeight> text_{};
  std::array<GraphicsPixel, ScreenWidth * ScreenHeight> graphics_{};
  DirtyRect dirty_{};
  std::uint64_t pixelWrites_ = 0;
};

// Small utility services.
inline std::uint16_t highWord(std::uint32_t v) { return static_cast<std::uint16_t>(v >> 16); }
inline std::int16_t signExtend(std::uint8_t b) { return static_cast<std::int8_t>(b); }
inline int signOf(long v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }
inline long rangeCheck(long value, long low, long high, long otherwise) {
  return (low <= value && value <= high) ? value : otherwise;
}

}  // namespace zen
