#include "sim/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <string>

#include "support/temporary_folder.h"

namespace zen {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

class AtomicFileTest : public ::testing::Test {
 protected:
  std::string contents(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::vector<std::string> entries() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  mode_t modeOf(const std::filesystem::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0);
    return st.st_mode & 07777;
  }
  test::TemporaryFolder folder_;
  const std::filesystem::path dir_ = folder_.path();
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithoutLeftovers) {
  const auto target = dir_ / "SM.INI";
  ASSERT_EQ(writeFileAtomically(target, bytesOf("first version, rather long")), std::nullopt);
  EXPECT_EQ(contents(target), "first version, rather long");
  ASSERT_EQ(writeFileAtomically(target, bytesOf("short")), std::nullopt);
  EXPECT_EQ(contents(target), "short");
  ASSERT_EQ(writeFileAtomically(target, {}), std::nullopt);
  EXPECT_EQ(contents(target), "");
  EXPECT_EQ(entries(), std::vector<std::string>{"SM.INI"});
}

TEST_F(AtomicFileTest, LargeContentArrivesWhole) {
  std::vector<std::uint8_t> big(5 * 1024 * 1024 + 17);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 131 + (i >> 12));
  ASSERT_EQ(writeFileAtomically(dir_ / "big.bin", big), std::nullopt);
  const ReadResult back = readFilePrefix(dir_ / "big.bin", big.size() + 1);
  EXPECT_EQ(back.error, std::nullopt);
  EXPECT_TRUE(back.bytes == big);
}

TEST_F(AtomicFileTest, KeepsPermissionsOfExistingFile) {
  const auto target = dir_ / "private.ini";
  ASSERT_EQ(writeFileAtomically(target, bytesOf("a")), std::nullopt);
  ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
  ASSERT_EQ(writeFileAtomically(target, bytesOf("b")), std::nullopt);
  EXPECT_EQ(modeOf(target), 0604u);
}

TEST_F(AtomicFileTest, NewFileGets0644LessUmask) {
  const mode_t old = ::umask(027);
  const auto result = writeFileAtomically(dir_ / "new.ini", bytesOf("x"));
  ::umask(old);
  ASSERT_EQ(result, std::nullopt);
  EXPECT_EQ(modeOf(dir_ / "new.ini"), 0640u);
}

TEST_F(AtomicFileTest, FailureLeavesOriginalAndNoTemporary) {
  const auto target = dir_ / "SM.INI";
  ASSERT_EQ(writeFileAtomically(target, bytesOf("original")), std::nullopt);

  if (::geteuid() != 0) {
    // Root ignores folder permissions, so this only runs for ordinary users.
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    EXPECT_EQ(writeFileAtomically(target, bytesOf("replacement")), "Permission denied");
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
    EXPECT_EQ(contents(target), "original");
  }

  EXPECT_EQ(writeFileAtomically(dir_ / "absent" / "SM.INI", bytesOf("x")), "No such file or directory");

  // A folder in the way fails only at the final rename, after the temporary was written.
  std::filesystem::create_directory(dir_ / "taken");
  EXPECT_EQ(writeFileAtomically(dir_ / "taken", bytesOf("x")), "Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "taken"));

  EXPECT_EQ(entries(), (std::vector<std::string>{"SM.INI", "taken"}));
  EXPECT_EQ(contents(target), "original");
}

TEST_F(AtomicFileTest, ReadStopsAtLimit) {
  ASSERT_EQ(writeFileAtomically(dir_ / "f", bytesOf("0123456789")), std::nullopt);
  struct Case {
    std::size_t limit;
    std::string expected;
  };
  const Case cases[] = {{0, ""}, {1, "0"}, {4, "0123"}, {10, "0123456789"}, {1000, "0123456789"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    const ReadResult r = readFilePrefix(dir_ / "f", c.limit);
    EXPECT_EQ(r.error, std::nullopt);
    EXPECT_FALSE(r.missing);
    EXPECT_EQ(std::string(r.bytes.begin(), r.bytes.end()), c.expected);
  }
}

TEST_F(AtomicFileTest, ReadReportsMissingAndUnreadable) {
  const ReadResult missing = readFilePrefix(dir_ / "none", 100);
  EXPECT_TRUE(missing.missing);
  EXPECT_EQ(missing.error, std::nullopt);
  EXPECT_TRUE(missing.bytes.empty());

  const ReadResult folder = readFilePrefix(dir_, 100);
  EXPECT_FALSE(folder.missing);
  EXPECT_EQ(folder.error, "Is a directory");

  const ReadResult notFolder = readFilePrefix(dir_ / "none" / "x", 100);
  EXPECT_TRUE(notFolder.missing);

  if (::geteuid() != 0) {
    ASSERT_EQ(writeFileAtomically(dir_ / "locked", bytesOf("secret")), std::nullopt);
    ASSERT_EQ(::chmod((dir_ / "locked").c_str(), 0), 0);
    const ReadResult locked = readFilePrefix(dir_ / "locked", 100);
    EXPECT_FALSE(locked.missing);
    EXPECT_EQ(locked.error, "Permission denied");
  }
}

// Opening a FIFO for reading waits for a writer: a program handed one as a
// settings file must say so at once instead.
TEST_F(AtomicFileTest, FifoIsRefusedWithoutWaiting) {
  const std::filesystem::path fifo = dir_ / "SM.INI";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto pending = std::async(std::launch::async, [&] { return readFilePrefix(fifo, 100); });
  if (pending.wait_for(std::chrono::seconds(2)) != std::future_status::ready) {
    // Frees the blocked reader, so the test fails rather than hangs.
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    FAIL() << "reading a FIFO blocked";
  }
  const ReadResult result = pending.get();
  EXPECT_FALSE(result.missing);
  EXPECT_EQ(result.error, "it is a FIFO (named pipe), not a regular file");
}

TEST_F(AtomicFileTest, OriginalIsKeptUnderAFreeNameAndNeverReplaced) {
  ASSERT_EQ(writeFileAtomically(dir_ / "e2.rom", bytesOf("first")), std::nullopt);
  EXPECT_EQ(keepOriginal(dir_ / "e2.rom").path, dir_ / "e2.rom.orig");
  ASSERT_EQ(writeFileAtomically(dir_ / "e2.rom", bytesOf("second")), std::nullopt);
  EXPECT_EQ(keepOriginal(dir_ / "e2.rom").path, dir_ / "e2.rom.orig.2");
  EXPECT_EQ(contents(dir_ / "e2.rom.orig"), "first");
  EXPECT_EQ(contents(dir_ / "e2.rom.orig.2"), "second");
  const KeptCopy gone = keepOriginal(dir_ / "none");
  EXPECT_EQ(gone.error, std::nullopt);
  EXPECT_TRUE(gone.path.empty());
}

// A save killed half-way leaves its temporary; the next start clears those
// of dead programs only.
TEST_F(AtomicFileTest, StaleTemporariesOfDeadWritersAreRemoved) {
  const std::string own = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool kept;
  };
  const Case cases[] = {
      {"RTC.ram.tmp-2147483647-0", false},  // no such process
      {"SM.INI.tmp-" + own + "-3", true},   // this program's own save
      {"e2.rom.tmp-1-2", true},             // process 1 always runs
      {"notes.tmp-old-1", true},            // not the writer's pattern
      {"RTC.ram", true},
  };
  for (const Case& c : cases) std::ofstream(dir_ / c.name) << "x";
  removeStaleTemporaries(dir_);
  for (const Case& c : cases) EXPECT_EQ(std::filesystem::exists(dir_ / c.name), c.kept) << c.name;
}

}  // namespace
}  // namespace zen
