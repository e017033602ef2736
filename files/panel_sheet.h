// What an installer's panel sheet says about an instrument: where each item
// sits on both pages and in which style, and its settings as the instrument's
// own setup menus show them. The window and the renderer lay it out.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hardware/screen.h"
#include "sim/screen_render.h"

namespace zen {

struct Instrument;

struct SheetItem {
  std::string name, style, position;
};

struct SheetSection {
  std::string title;
  std::vector<std::pair<std::string, std::string>> lines;  // label, value
};

struct PanelSheet {
  std::string title;
  SheetSection identity;  // instrument, firmware, program, source, date
  std::array<std::vector<SheetItem>, 2> pages;
  std::vector<SheetSection> settings;
  std::vector<std::string> overlaps;  // empty: none
};

struct SheetOrigin {
  std::string source;   // the file the settings came from
  std::string date;     // the day the sheet is made
  std::string program;  // "zenara-render 1.0.0"
};

// Runs the menus' show actions, which may correct a value that cannot apply
// as they show it: use an instrument of its own.
PanelSheet makePanelSheet(Instrument& z, const SheetOrigin& origin);

struct SheetDocument {
  PanelSheet sheet;
  std::array<Screen, 2> screens;  // pages 1 and 2
};

// Both pages and the sheet of the instrument the options switch on (their
// settings and panel, keys and time; the page is chosen here).
SheetDocument panelSheetDocument(RenderOptions options, const SheetOrigin& origin);

// The instrument's text with its unit glyphs spelled out ("ft", "°C").
std::string readableText(std::string_view codes);

}  // namespace zen
