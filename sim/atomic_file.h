// File access for settings and data the user keeps: a crash or a full disk
// must never leave a half-written file where a good one used to be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zen {

// Replaces the file in one step via a temporary file in the same folder.
// Returns std::nullopt on success, else the system's error text; on failure
// the previous file is left as it was and no temporary file remains.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes);

// Removes the temporary files that saves into folder left when their program
// was killed. Those of programs still running stay.
void removeStaleTemporaries(const std::filesystem::path& folder);

struct ReadResult {
  std::vector<std::uint8_t> bytes;
  std::optional<std::string> error;
  bool missing = false;     // not an error: callers usually fall back to defaults
  std::uintmax_t size = 0;  // the whole file's, however much was read
};

// Reads at most maxBytes, so a wrongly chosen huge file cannot exhaust memory.
// Only a regular file is read: a FIFO, device or folder of that name is an
// error, and opening it never blocks.
ReadResult readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);

// Keeps the file as it is now under the first free name of NAME.orig,
// NAME.orig.2 .. NAME.orig.99 beside it; never replaces a file. Returns the
// name used (empty when the file is gone), or the reason it could not.
struct KeptCopy {
  std::filesystem::path path;
  std::optional<std::string> error;
};
KeptCopy keepOriginal(const std::filesystem::path& file);

}  // namespace zen
