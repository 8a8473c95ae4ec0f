#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "core/Messages.h"
#include "detect/SnapshotFile.h"
#include "detect/SnapshotIndex.h"
#include "platform/FaultInjection.h"
#include "platform/LockedFile.h"
#include "support/PermissionsInForce.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;
using talvenor::test::ReadFile;
using talvenor::test::RecordingUi;
using talvenor::test::TempDir;

namespace {

CElement Make(const std::string& name, const std::string& folder, std::uint32_t size = 3,
              platform::FileTime ft = 128491744890000000ULL, const std::string& stamp = "20080305070809") {
  CElement e;
  e.m_strStamp = stamp;
  e.m_strName = name;
  e.m_dwSize = size;
  e.m_ftWrite = ft;
  e.m_strFolder = SharedFolder(folder);
  return e;
}

const std::string kDataDir = TALVENOR_TEST_DATA;

}  // namespace

TEST(SnapshotFormat, OneRecordIsTheKnownFiftyFiveBytes) {
  const Snapshot one = {Make("a.txt", "C:\\W\\")};
  EXPECT_EQ(EncodeSnapshot(one), ReadFile(kDataDir + "/one-record.dat"));
  EXPECT_EQ(EncodeSnapshot({}), std::string("\0\0", 2));
}

TEST(SnapshotFormat, CountAndLengthEncodings) {
  const Snapshot two = {Make("a", "/w/"), Make("b", "/w/")};
  const std::string bytes = EncodeSnapshot(two);
  EXPECT_EQ(bytes.substr(0, 17), std::string("\x02\x00\xFF\xFF\x00\x00\x08\x00"
                                             "CElement\x0E",
                                             17));
  const std::size_t second = 2 + 14 + 15 + 2 + 12 + 4;  // count, class tag, stamp, name, numbers, folder
  EXPECT_EQ(bytes.substr(second, 2), std::string("\x01\x80", 2));

  Snapshot many(70000, Make("f", "/w/"));
  EXPECT_EQ(EncodeSnapshot(many).substr(0, 6), std::string("\xFF\xFF\x70\x11\x01\x00", 6));

  const std::string folder300(299, 'x');
  const std::string one = EncodeSnapshot({Make("n", folder300 + "/")});
  EXPECT_EQ(one.substr(one.size() - 303, 3), std::string("\xFF\x2C\x01", 3));

  const std::string big(70000, 'y');
  const std::string huge = EncodeSnapshot({Make(big, "/")});
  EXPECT_EQ(huge.substr(2 + 14 + 15, 7), std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7));
  Snapshot back;
  ASSERT_TRUE(DecodeSnapshot(huge, back));
  EXPECT_EQ(back.at(0).m_strName, big);
}

TEST(SnapshotFile, RoundTripKeepsEveryFieldAndTheOrder) {
  TempDir dir;
  RecordingUi ui;
  Snapshot saved;
  for (int i = 0; i < 70000; ++i)
    saved.push_back(Make("file" + std::to_string(i) + "\n,表", "/w/sub" + std::to_string(i % 7) + "/",
                         static_cast<std::uint32_t>(i * 7919), 0xFFFFFFFF00000000ULL + static_cast<unsigned>(i),
                         std::to_string(20000000000000LL + i)));
  const std::string path = dir / "test2.dat";
  ASSERT_EQ(SaveSnapshot(path, saved, ui), 1);
  Snapshot loaded = {Make("stale", "/")};
  ASSERT_EQ(LoadSnapshot(path, loaded), 1);
  EXPECT_EQ(loaded, saved);
  EXPECT_TRUE(ui.messages.empty());

  Snapshot empty;
  ASSERT_EQ(SaveSnapshot(path, empty, ui), 1);
  EXPECT_EQ(ReadFile(path), std::string("\0\0", 2));
  EXPECT_EQ(LoadSnapshot(path, loaded), 1);
  EXPECT_TRUE(loaded.empty());
}

TEST(SnapshotFile, DamagedFilesGiveZeroWithTheRecordsReadSoFar) {
  const std::string good = EncodeSnapshot({Make("a.txt", "/w/"), Make("b.txt", "/w/"), Make("c.txt", "/w/")});
  Snapshot out;

  // Cut anywhere: never more records than were whole, never a crash.
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_FALSE(DecodeSnapshot(good.substr(0, cut), out)) << cut;
    EXPECT_LT(out.size(), 3u);
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i].m_strName, std::string(1, "abc"[i]) + ".txt");
  }
  // Bytes after the last announced record are not looked at.
  EXPECT_TRUE(DecodeSnapshot(good + "trailing garbage", out));
  EXPECT_EQ(out.size(), 3u);

  // A later class tag that names no known class.
  std::string badTag = good;
  const std::size_t secondTag = good.find(std::string("\x01\x80", 2));
  badTag[secondTag] = '\x02';
  EXPECT_FALSE(DecodeSnapshot(badTag, out));
  EXPECT_EQ(out.size(), 1u);

  // Another schema.
  std::string badSchema = good;
  badSchema[4] = '\x01';
  EXPECT_FALSE(DecodeSnapshot(badSchema, out));
  EXPECT_TRUE(out.empty());

  // A string length running past the end.
  std::string longString = good.substr(0, 14) + std::string("\xFF\xFD\xFF", 3) + "short";
  EXPECT_FALSE(DecodeSnapshot(longString, out));
  // The wide-string marker is no form of ours.
  EXPECT_FALSE(DecodeSnapshot(good.substr(0, 14) + std::string("\xFF\xFE\xFF\x01", 4) + "ab", out));
}

TEST(SnapshotFile, BrokenFilesFromDiskLoadAsFailures) {
  Snapshot out = {Make("before", "/")};
  // A count of 0xFFFFFFFF in a ten-byte file must not reserve memory for it.
  EXPECT_EQ(LoadSnapshot(kDataDir + "/broken-huge-count.dat", out), 0);
  EXPECT_TRUE(out.empty()) << "an opened file replaces what the array held";
  EXPECT_LT(out.capacity(), 16u);
  EXPECT_EQ(LoadSnapshot(kDataDir + "/broken-truncated.dat", out), 0);
  EXPECT_EQ(LoadSnapshot(kDataDir + "/broken-other-class.dat", out), 0);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(LoadSnapshot(kDataDir + "/one-record.dat", out), 1);
  EXPECT_EQ(out.at(0), Make("a.txt", "C:\\W\\"));

  TempDir dir;
  const std::string countOnly = dir.Write("count.dat", std::string("\x05\x00", 2));
  EXPECT_EQ(LoadSnapshot(countOnly, out), 0);

  // A huge sparse file costs only the bytes the records take: its size is no promise either.
  const std::string huge = dir.Write("huge.dat", std::string("\x05\x00", 2));
  ASSERT_EQ(truncate(huge.c_str(), 100LL << 30), 0);
  EXPECT_EQ(LoadSnapshot(huge, out), 0) << "zeros where the first record's class tag should be";
  EXPECT_TRUE(out.empty());

  // A count of 0xFFFFFFFF before one real record in a sparse 8 GiB file: the file's size
  // promised room for hundreds of millions of records, and reserving them ended the program.
  const std::string one = ReadFile(kDataDir + "/one-record.dat");
  const std::string counted = dir.Write("counted.dat", std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6) + one.substr(2));
  ASSERT_EQ(truncate(counted.c_str(), 8LL << 30), 0);
  EXPECT_EQ(LoadSnapshot(counted, out), 0);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], Make("a.txt", "C:\\W\\"));
  EXPECT_LT(out.capacity(), 1u << 16);
}

// "cp old.dat test2.dat" cuts the file short in place and writes it again while a pass may be
// reading it. Such a file is damaged or whole, never a fault that ends the program.
TEST(SnapshotFile, FileCutShortWhileReadIsDamagedNeverAFault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TempDir dir;
        RecordingUi ui;
        Snapshot saved;
        for (int i = 0; i < 40000; ++i) saved.push_back(Make("file" + std::to_string(i), "/w/"));
        const std::string path = dir / "test2.dat";
        SaveSnapshot(path, saved, ui);
        const std::string bytes = ReadFile(path);
        std::atomic<bool> done{false};
        std::thread copier([&] {
          const int fd = ::open(path.c_str(), O_WRONLY);
          // In pieces, as cp writes: the file stays short for a while at each round.
          while (!done && ::ftruncate(fd, 0) == 0) {
            for (std::size_t at = 0; at < bytes.size() && !done; at += 4096)
              if (::pwrite(fd, bytes.data() + at, std::min<std::size_t>(4096, bytes.size() - at), at) < 0) break;
          }
          ::close(fd);
        });
        int bad = 0;
        for (int round = 0; round < 300; ++round) {
          Snapshot out;
          if (LoadSnapshot(path, out) == 1 && out != saved) ++bad;
        }
        done = true;
        copier.join();
        std::_Exit(bad == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// An index does work in proportion to its records whatever they hold: identical records once
// made one probe sequence as long as the file, and records that differ only in the high bits of
// their time or size (as a crafted file can hold) once fell into one slot.
TEST(SnapshotIndex, HostileRecordsCostWorkInProportionToTheirNumber) {
  constexpr std::size_t kRecords = 20000;
  struct Case {
    const char* what;
    std::uint32_t sizeStep;
    platform::FileTime timeStep;
  };
  for (const Case& c : {Case{"identical", 0, 0}, Case{"times 2^32 apart", 0, 1ULL << 32},
                        Case{"times 2^48 apart", 0, 1ULL << 48}, Case{"sizes 2^20 apart", 1U << 20, 0}}) {
    SCOPED_TRACE(c.what);
    Snapshot records;
    for (std::size_t i = 0; i < kRecords; ++i)
      records.push_back(
          Make("same", "/w/", static_cast<std::uint32_t>(3 + i * c.sizeStep), 128491744890000000ULL + i * c.timeStep));
    Snapshot loaded;
    ASSERT_TRUE(DecodeSnapshot(EncodeSnapshot(records), loaded));
    const SnapshotIndex index(loaded);
    for (const CElement& e : loaded) ASSERT_TRUE(index.Contains(e));
    EXPECT_FALSE(index.Contains(Make("other", "/w/")));
    EXPECT_LE(index.SlotsVisited(), 4 * kRecords);
  }
}

TEST(SnapshotFile, MissingOrHeldFilesAndTheirMessages) {
  TempDir dir;
  RecordingUi ui;
  const std::string path = dir / "test2.dat";
  Snapshot kept = {Make("kept", "/")};
  EXPECT_EQ(LoadSnapshot(path, kept), 0);
  EXPECT_EQ(kept.size(), 1u) << "a file that cannot be opened leaves the array unchanged";
  EXPECT_EQ(DeleteSnapshotFile(path), 0);

  ASSERT_EQ(SaveSnapshot(path, kept, ui), 1);
  {
    platform::LockedFile other;
    ASSERT_TRUE(other.Open(path, platform::LockedFile::Mode::ReadExisting));
    Snapshot out;
    EXPECT_EQ(LoadSnapshot(path, out), 0);
    EXPECT_TRUE(ui.messages.empty()) << "a held file fails the load silently";
    EXPECT_EQ(SaveSnapshot(path, {}, ui), 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{msg::kCannotWriteFile});
    EXPECT_EQ(DeleteSnapshotFile(path), 0);
  }
  Snapshot out;
  EXPECT_EQ(LoadSnapshot(path, out), 1);
  EXPECT_EQ(out, kept) << "the refused save left the older file whole";

  // A full disk in the middle of the save: the older file stays whole and the user hears of it.
  {
    const platform::ScopedFaults full({.writeFailsAfterBytes = 10});
    EXPECT_EQ(SaveSnapshot(path, Snapshot(1000, Make("new", "/n/")), ui), 0);
  }
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(LoadSnapshot(path, out), 1);
  EXPECT_EQ(out, kept);

  // Made read-only: the rename of the save would have replaced it all the same.
  {
    const test::PermissionsInForce permissions;
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(SaveSnapshot(path, Snapshot(3, Make("new", "/n/")), ui), 0);
    EXPECT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages.back(), msg::kCannotWriteFile);
    EXPECT_EQ(LoadSnapshot(path, out), 1);
    EXPECT_EQ(out, kept);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  }

  EXPECT_EQ(DeleteSnapshotFile(path), 1);
  EXPECT_EQ(LoadSnapshot(path, out), 0);

  // A FIFO put in the file's place is refused at once instead of waiting for a writer.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(LoadSnapshot(path, out), 0);
  EXPECT_EQ(SaveSnapshot(path, kept, ui), 0);
}

TEST(SnapshotFile, RandomDamageNeverCrashesOrInventsRecords) {
  Snapshot original;
  for (int i = 0; i < 40; ++i) original.push_back(Make("n" + std::to_string(i), "/f" + std::to_string(i % 3) + "/"));
  const std::string good = EncodeSnapshot(original);
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (int round = 0; round < 20000; ++round) {
    std::string bad = good;
    const int flips = 1 + static_cast<int>(next() % 4);
    for (int f = 0; f < flips; ++f) bad[next() % bad.size()] = static_cast<char>(next() >> 16);
    if (next() % 3 == 0) bad.resize(next() % bad.size());
    Snapshot out;
    DecodeSnapshot(bad, out);
    // Whatever was read came from the bytes: never more records than they can hold.
    EXPECT_LE(out.size() * 17, bad.size()) << round;
  }
}
