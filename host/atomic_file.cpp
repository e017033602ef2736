#include "host/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace zen {

namespace {

std::string errorText(int err) { return std::strerror(err); }

std::filesystem::path temporaryNameFor(const std::filesystem::path& path) {
  // Unique per process and per call, so two saves racing in one program or
  // two instances sharing a folder never write into the same temporary.
  static std::atomic<unsigned> counter{0};
  std::string name = path.filename().string();
  name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
  return path.parent_path() / name;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void syncFolder(const std::filesystem::path& folder) {
  // Makes the rename itself durable. Some file systems refuse to sync a
  // folder; the data is in place by then, so a failure here is not reported.
  const std::string name = folder.empty() ? std::string(".") : folder.string();
  const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes) {
  std::optional<mode_t> keepMode;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) keepMode = existing.st_mode & 07777;

  const std::filesystem::path temporary = temporaryNameFor(path);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errorText(errno);

  auto fail = [&](bool stillOpen) {
    const int err = errno;
    if (stillOpen) ::close(fd);
    ::unlink(temporary.c_str());
    return errorText(err);
  };

  // open() applies the umask; an existing file's bits must survive unchanged.
  if (keepMode && ::fchmod(fd, *keepMode) != 0) return fail(true);
  if (!writeAll(fd, bytes.data(), bytes.size())) return fail(true);
  if (::fsync(fd) != 0) return fail(true);
  // Network file systems may report a deferred write error only here.
  if (::close(fd) != 0) return fail(false);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(false);
  syncFolder(path.parent_path());
  return std::nullopt;
}

ReadResult readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes) {
  ReadResult result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT)
      result.missing = true;
    else
      result.error = errorText(errno);
    return result;
  }
  // Grows in chunks rather than reserving maxBytes, which callers may set
  // generously.
  std::uint8_t chunk[65536];
  while (result.bytes.size() < maxBytes) {
    const std::size_t want = std::min(sizeof chunk, maxBytes - result.bytes.size());
    const ssize_t n = ::read(fd, chunk, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      result.error = errorText(errno);
      result.bytes.clear();
      break;
    }
    if (n == 0) break;
    result.bytes.insert(result.bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return result;
}

}  // namespace zen
