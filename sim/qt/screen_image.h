// The instrument screen as a picture: silver (192, 192, 192) and black, each
// screen pixel a zoom x zoom square, as the main window shows it. Needs
// QtGui only, so headless tools run without a display.
#pragma once

#include <QImage>
#include <filesystem>
#include <optional>
#include <string>

#include "hardware/screen.h"

namespace zen {

inline constexpr int MaxImageZoom = 16;

QImage screenImage(const Screen& screen, int zoom = 1);

// Writes the picture as PNG, replacing the file atomically. Returns the
// reason when it could not.
std::optional<std::string> writeScreenPng(const Screen& screen, const std::filesystem::path& path,
                                          int zoom = 1);

}  // namespace zen
