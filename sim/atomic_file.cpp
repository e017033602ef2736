#include "sim/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <string_view>

namespace zen {

namespace {

std::string errorText(int err) { return std::strerror(err); }

constexpr std::string_view TemporaryMark = ".tmp-";

std::filesystem::path temporaryNameFor(const std::filesystem::path& path) {
  // Unique per process and per call, so two saves racing in one program or
  // two instances sharing a folder never write into the same temporary.
  static std::atomic<unsigned> counter{0};
  std::string name = path.filename().string();
  name +=
      std::string(TemporaryMark) + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
  return path.parent_path() / name;
}

// The writer's process id when name is one of its temporaries ("NAME.tmp-PID-N").
std::optional<pid_t> temporaryOwner(const std::string& name) {
  const std::size_t mark = name.rfind(TemporaryMark);
  if (mark == std::string::npos || mark == 0) return std::nullopt;
  const std::string_view rest = std::string_view(name).substr(mark + TemporaryMark.size());
  const std::size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == rest.size()) return std::nullopt;
  const auto digits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(rest.substr(dash + 1))) return std::nullopt;
  pid_t pid = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dash, pid);
  if (ec != std::errc() || end != rest.data() + dash || pid <= 0) return std::nullopt;
  return pid;
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

void removeStaleTemporaries(const std::filesystem::path& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const auto owner = temporaryOwner(it->path().filename().string());
    if (!owner || !it->is_regular_file(ec)) continue;
    // A save of a program still running must finish undisturbed.
    if (*owner == ::getpid() || ::kill(*owner, 0) == 0 || errno != ESRCH) continue;
    std::filesystem::remove(it->path(), ec);
    ec.clear();
  }
}

namespace {

std::string kindOfNonRegular(mode_t mode) {
  if (S_ISDIR(mode)) return errorText(EISDIR);
  if (S_ISFIFO(mode)) return "it is a FIFO (named pipe), not a regular file";
  if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
  return "it is not a regular file";
}

}  // namespace

ReadResult readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes) {
  ReadResult result;
  // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT)
      result.missing = true;
    else
      result.error = errorText(errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result.error = errorText(errno);
  } else if (!S_ISREG(info.st_mode)) {
    result.error = kindOfNonRegular(info.st_mode);
  }
  if (result.error) {
    ::close(fd);
    return result;
  }
  result.size = static_cast<std::uintmax_t>(info.st_size);
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

KeptCopy keepOriginal(const std::filesystem::path& file) {
  KeptCopy kept;
  for (int n = 1; n <= 99; ++n) {
    std::filesystem::path candidate = file;
    candidate += n == 1 ? std::string(".orig") : ".orig." + std::to_string(n);
    // A second name for the same bytes: atomic, and it fails rather than
    // replace anything. File systems without hard links get a copy.
    if (::link(file.c_str(), candidate.c_str()) == 0) {
      syncFolder(file.parent_path());
      kept.path = candidate;
      return kept;
    }
    if (errno == EEXIST) continue;
    if (errno == ENOENT) return kept;  // gone already: nothing to keep
    std::error_code ec;
    if (std::filesystem::copy_file(file, candidate, std::filesystem::copy_options::none, ec)) {
      kept.path = candidate;
      return kept;
    }
    if (ec == std::errc::file_exists) continue;
    kept.error = ec.message();
    return kept;
  }
  kept.error = "every name from .orig to .orig.99 is taken";
  return kept;
}

}  // namespace zen
