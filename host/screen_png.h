// Saves what the screen shows as a PNG, for tools and test failures.
#pragma once

#include <string>

#include "host/screen.h"

namespace zen {

// Silver (192,192,192) and black pixels, each drawn as a zoom x zoom square.
bool writeScreenPng(const Screen& screen, const std::string& path, int zoom, std::string* error);

}  // namespace zen
