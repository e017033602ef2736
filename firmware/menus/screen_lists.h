// Arranging the pages from the menus: engine presets, primary flight presets
// and the per-item and per-alarm enable lists.
#pragma once

#include <string_view>

namespace zen {

struct Instrument;
struct Menu;

// "Engine type quick select": settings and gauge positions of a known engine.
void engineQuickSelect(Instrument& z);
// Asks, then puts the primary flight preset "VFR", "IFR" or "BLANK" on a page.
void primaryFlightPanel(Instrument& z, std::string_view presetName);
// "Enable screen items": page 1, page 2, both or none per panel item.
void enableScreenItems(Instrument& z);
// "Alarm enable setup": each alarm on or off.
void alarmEnableSetup(Instrument& z);
const Menu& alarmEnableMenu();

// The questions the preset screens share.
inline constexpr int PageCancelled = 0;
// Page 1 on "+", page 2 on "-", PageCancelled on any other key or the time-out.
int selectTargetPage(Instrument& z);
// The warning before a primary flight preset; true on "+".
bool confirmPrimaryFlight(Instrument& z, std::string_view presetName);

}  // namespace zen
