// The panel sheet as one A4 PDF document: both pages as the instrument shows
// them, each screen pixel a whole number of printer dots, then the items of
// each page and the settings.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "files/panel_sheet.h"

namespace zen {

// Replaces the file atomically; the reason when it could not.
std::optional<std::string> writePanelSheetPdf(const SheetDocument& document,
                                              const std::filesystem::path& path);

}  // namespace zen
