// The Win32 platform layer on a real (or Wine's) file system: what the engine relies on that
// only this layer can break. Names cross from UTF-8 to UTF-16 here, so every case runs with
// names outside the system code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/DirReader.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/FolderFile.h"
#include "platform/FolderHandle.h"
#include "platform/LockedFile.h"
#include "platform/OwnFile.h"
#include "platform/win32/WinText.h"
#include "support/TempDir.h"

using namespace talvenor::platform;
using talvenor::test::ReadFile;
using talvenor::test::TempDir;

namespace {

std::vector<std::string> Listed(const std::string& folder) {
  std::vector<std::string> names;
  DirReader reader;
  EXPECT_EQ(reader.Open(folder), kSearchOk) << folder;
  DirEntry entry;
  while (reader.Next(entry)) names.push_back(entry.name);
  return names;
}

std::vector<std::string> Entries(const FolderHandle& folder) {
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(folder.List(entries));
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

// A path far beyond MAX_PATH: five levels of 60 characters.
std::string DeepRelative() {
  std::string path;
  for (char c = 'a'; c < 'f'; ++c) path += std::string(60, c) + "/";
  return path;
}

}  // namespace

// Names in and out of code page 932, and paths beyond 260 characters: listed, copied without
// loss and found again under the same bytes.
class NameTest : public ::testing::TestWithParam<std::string> {};

TEST_P(NameTest, IsListedCopiedAndReadBackIntact) {
  TempDir dir;
  const std::string relative = GetParam();
  const std::string contents = "contents of " + relative;
  const std::string source = dir.Write("watch/" + relative, contents);
  const std::string folder = source.substr(0, source.find_last_of('/'));
  const std::string name = source.substr(source.find_last_of('/') + 1);
  ASSERT_EQ(Listed(folder), std::vector<std::string>{name});
  EXPECT_TRUE(CanReadFile(source));
  EXPECT_EQ(StatFile(source)->size, contents.size());

  const auto slash = relative.find_last_of('/');
  const std::string backup =
      dir.MakeFolder(slash == std::string::npos ? "backup" : "backup/" + relative.substr(0, slash));
  const FolderHandle target = FolderHandle::Open(backup);
  ASSERT_TRUE(target.IsOpen());
  ASSERT_EQ(CopyIntoFolder(source, target, name, 3), CopyResult::Copied);
  EXPECT_EQ(Entries(target), std::vector<std::string>{name}) << "no temporary left beside the copy";
  EXPECT_EQ(ReadFile(backup + "/" + name), contents);
  const auto copied = StatFile(backup + "/" + name);
  ASSERT_TRUE(copied.has_value()) << errno;
  EXPECT_EQ(copied->writeTime, StatFile(source)->writeTime);

  EXPECT_TRUE(target.RemoveEntry(name));
  EXPECT_FALSE(target.Has(name));
}

INSTANTIATE_TEST_SUITE_P(Win32, NameTest,
                         ::testing::Values("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt",  // 日本語 (in 932)
                                           "\xF0\x9F\x98\x80 smile.txt",                // an emoji
                                           "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 \xC3\xB1.txt",  // Greek, ñ
                                           "\xED\x95\x9C\xEA\xB8\x80.txt",                                   // Hangul
                                           DeepRelative() + "deep \xE6\x97\xA5.txt"));

TEST(Win32Text, NamesThatAreNoValidUtf16SurviveTheRoundTrip) {
  // A lone surrogate, as a name on NTFS may hold.
  const std::wstring lone = std::wstring(L"a") + static_cast<wchar_t>(0xD800) + L"b";
  EXPECT_EQ(win32::Wide(win32::Utf8(lone)), lone);
  const std::wstring pair = L"x\xD83D\xDE00y";
  EXPECT_EQ(win32::Utf8(pair), "x\xF0\x9F\x98\x80y");
  EXPECT_EQ(win32::Wide("x\xF0\x9F\x98\x80y"), pair);
}

TEST(Win32Copy, NeverReplacesAnExistingNameAndLeavesNothingBehind) {
  TempDir dir;
  const std::string source = dir.Write("src.txt", "new");
  dir.Write("out/src.txt", "old");
  const FolderHandle target = FolderHandle::Open(dir / "out");
  ASSERT_TRUE(target.IsOpen());
  EXPECT_EQ(CopyIntoFolder(source, target, "src.txt", 3), CopyResult::TargetFailed);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadFile(dir / "out/src.txt"), "old");
  EXPECT_EQ(Entries(target), std::vector<std::string>{"src.txt"});
  EXPECT_FALSE(RenameNoReplace(source, dir / "out/src.txt"));
  EXPECT_EQ(ReadFile(dir / "out/src.txt"), "old");
}

TEST(Win32Copy, ASourceAnotherProgramHoldsWithoutSharingIsUnreadable) {
  TempDir dir;
  const std::string source = dir.Write("held.xlsx", "locked by a spreadsheet");
  const HANDLE holder = ::CreateFileW(win32::LongPath(source).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::string out = dir.MakeFolder("out");
  const FolderHandle target = FolderHandle::Open(out);
  EXPECT_FALSE(CanReadFile(source));
  EXPECT_EQ(CopyIntoFolder(source, target, "held.xlsx", 3), CopyResult::SourceFailed);
  EXPECT_TRUE(Entries(target).empty());
  ::CloseHandle(holder);
  EXPECT_EQ(CopyIntoFolder(source, target, "held.xlsx", 3), CopyResult::Copied) << "readable once let go";
}

// A source rewritten while it is copied: copied again, up to three attempts, and the last
// attempt kept only when no whole copy could be had.
class TornCopyWin32Test : public ::testing::TestWithParam<int> {};

TEST_P(TornCopyWin32Test, ARewrittenSourceIsCopiedAgain) {
  const int rewrites = GetParam();
  TempDir dir;
  const std::string source = dir.Write("log.txt", std::string(3 << 20, 'a'));
  const FolderHandle target = FolderHandle::Open(dir.MakeFolder("out"));
  int done = 0;
  int chunk = 0;
  CopyResult result{};
  {
    const ScopedFaults rewriting({.atStep = [&](const std::string& step) {
      if (step == "copy-attempt") chunk = 0;
      if (step != "copy-chunk" || ++chunk != 1 || done >= rewrites) return;
      ++done;
      const HANDLE h =
          ::CreateFileW(win32::LongPath(source).c_str(), FILE_APPEND_DATA,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
      DWORD put = 0;
      ::WriteFile(h, "b", 1, &put, nullptr);
      ::CloseHandle(h);
    }});
    result = CopyIntoFolder(source, target, "log.txt", 3);
  }
  EXPECT_EQ(result, rewrites < 3 ? CopyResult::Copied : CopyResult::CopiedWhileChanging);
  EXPECT_EQ(Entries(target), std::vector<std::string>{"log.txt"});
  if (rewrites < 3) {
    EXPECT_EQ(ReadFile(dir / "out/log.txt"), ReadFile(source));
  }
}

INSTANTIATE_TEST_SUITE_P(Win32, TornCopyWin32Test, ::testing::Values(0, 1, 2, 3));

TEST(Win32Copy, ALargeMostlyEmptyFileIsCopiedByteForByte) {
  TempDir dir;
  std::string contents(5 << 20, '\0');
  contents.replace(0, 4, "head");
  contents.replace(contents.size() - 4, 4, "tail");
  const std::string source = dir.Write("disk.img", contents);
  const FolderHandle target = FolderHandle::Open(dir.MakeFolder("out"));
  ASSERT_EQ(CopyIntoFolder(source, target, "disk.img", 3), CopyResult::Copied);
  EXPECT_EQ(ReadFile(dir / "out/disk.img"), contents);
}

TEST(Win32Folders, ALinkedFolderIsNeitherListedNorEnteredAndRemovalTakesOnlyTheLink) {
  TempDir dir;
  dir.Write("elsewhere/precious.txt", "keep me");
  const std::string tree = dir.MakeFolder("tree");
  const std::wstring link = win32::LongPath(tree + "/link");
  if (!::CreateSymbolicLinkW(link.c_str(), win32::LongPath(dir / "elsewhere").c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
    GTEST_SKIP() << "this system makes no folder links here (error " << ::GetLastError() << ")";
  }
  // Wine 8 reports success and makes nothing.
  const DWORD made = ::GetFileAttributesW(link.c_str());
  if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_REPARSE_POINT)) GTEST_SKIP() << "no link was made";
  EXPECT_TRUE(Listed(tree).empty()) << "a walk never follows a linked folder";
  const FolderHandle folder = FolderHandle::Open(tree);
  EXPECT_FALSE(folder.Child("link").IsOpen());
  EXPECT_TRUE(errno == ELOOP || errno == ENOTDIR);
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(folder.List(entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_FALSE(entries[0].folder) << "a link to a folder is no folder to empty";
  EXPECT_TRUE(folder.RemoveEntry("link"));
  EXPECT_FALSE(folder.Has("link"));
  EXPECT_EQ(ReadFile(dir / "elsewhere/precious.txt"), "keep me");
}

TEST(Win32Folders, EmptyingRemovesReadOnlyEntriesAndRefusesWrongKinds) {
  TempDir dir;
  const std::string file = dir.Write("gen/readonly.txt", "x");
  ASSERT_TRUE(::SetFileAttributesW(win32::LongPath(file).c_str(), FILE_ATTRIBUTE_READONLY));
  dir.MakeFolder("gen/sub");
  const FolderHandle gen = FolderHandle::Open(dir / "gen");
  EXPECT_FALSE(gen.RemoveEntry("sub"));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(gen.RemoveChild("readonly.txt"));
  EXPECT_EQ(errno, ENOTDIR);
  EXPECT_TRUE(gen.RemoveEntry("readonly.txt"));
  EXPECT_TRUE(gen.RemoveChild("sub"));
  EXPECT_TRUE(Entries(gen).empty());
  const FolderHandle top = FolderHandle::Open(dir.path());
  EXPECT_FALSE(top.RemoveChild("missing"));
  EXPECT_EQ(errno, ENOENT);
}

TEST(Win32Folders, SearchCodesOfTheScan) {
  TempDir dir;
  const std::string file = dir.Write("file.txt", "x");
  DirReader reader;
  EXPECT_EQ(reader.Open(dir / "missing"), kSearchPathNotFound);
  EXPECT_EQ(reader.Open(dir / "missing", true), kSearchNotFound);
  EXPECT_EQ(reader.Open(dir / "missing/deeper"), kSearchPathNotFound);
  EXPECT_EQ(reader.Open(dir.path() + "\\"), kSearchOk);
  EXPECT_TRUE(PathExists(file));
  EXPECT_FALSE(PathExists(dir / "missing"));
  EXPECT_TRUE(IsFolder(dir.path()));
  EXPECT_FALSE(IsFolder(file));
  EXPECT_TRUE(SameFolder(dir.path(), dir.path() + "/."));
}

TEST(Win32Folders, WriteTimesAreTheFilesUtcTimes) {
  TempDir dir;
  const std::string file = dir.Write("dated.txt", "x");
  talvenor::test::SetWriteTime(file, 1347892205);  // 2012-09-17 14:30:05 UTC
  DirReader reader;
  ASSERT_EQ(reader.Open(dir.path()), kSearchOk);
  DirEntry entry;
  ASSERT_TRUE(reader.Next(entry));
  EXPECT_EQ(entry.writeTime, ToFileTime(1347892205, 0));
  EXPECT_EQ(StatFile(file)->writeTime, ToFileTime(1347892205, 0));
}

TEST(Win32LockedFile, HeldFilesRefuseOthersAndAreReplacedWhole) {
  TempDir dir;
  const std::string path = dir.Write("test2.dat", "old");
  LockedFile first;
  ASSERT_TRUE(first.Open(path, LockedFile::Mode::ReadWriteExisting));
  LockedFile second;
  EXPECT_FALSE(second.Open(path, LockedFile::Mode::ReadWriteCreate));
  EXPECT_EQ(errno, EWOULDBLOCK);
  EXPECT_FALSE(ReplaceFileAtomically(path, "new"));
  EXPECT_EQ(errno, EWOULDBLOCK);
  first.Close();
  EXPECT_TRUE(ReplaceFileAtomically(path, "new"));
  EXPECT_EQ(ReadFile(path), "new");
  EXPECT_EQ(Listed(dir.path()), std::vector<std::string>{"test2.dat"}) << "no temporary left";
}

// With POSIX renames (Windows 10 on NTFS) or without them (Wine, FAT): either way the trimmed
// log takes the name and stays held.
TEST(Win32LockedFile, TheHeldLogIsTrimmedWholeAndStaysHeld) {
  TempDir dir;
  const std::string path = dir.Write("log.csv", "old-tail");
  LockedFile log;
  ASSERT_TRUE(log.Open(path, LockedFile::Mode::ReadWriteExisting));
  LockedFile replaced;
  ASSERT_TRUE(ReplaceWithTail(log, 3, path + ".tmp", path, replaced, "#")) << "errno " << errno;
  log.Close();
  EXPECT_EQ(Listed(dir.path()), std::vector<std::string>{"log.csv"}) << "no temporary left";
  EXPECT_EQ(replaced.Size(), 6);
  LockedFile other;
  EXPECT_FALSE(other.Open(path, LockedFile::Mode::ReadExisting)) << "the trimmed log is held";
  replaced.Close();
  EXPECT_EQ(ReadFile(path), "#-tail");
}

TEST(Win32Folders, NewGenerationFoldersAreOursAndNeverAnExistingOne) {
  TempDir dir;
  const FolderHandle backup = FolderHandle::Open(dir.path());
  const FolderHandle made = backup.NewChild("20120917143005.0", 0700);
  ASSERT_TRUE(made.IsOpen()) << errno;
  EXPECT_TRUE(made.OwnedByUs());
  EXPECT_TRUE(backup.OwnsEntry("20120917143005.0"));
  EXPECT_FALSE(backup.NewChild("20120917143005.0", 0700).IsOpen());
  EXPECT_EQ(errno, EEXIST);
  EXPECT_FALSE(made.Removed());
}

// The record of a generation is read (the versions of a file) while the pass still appends to
// it, and the program's own small files mend a line torn by a crash.
TEST(Win32FolderFiles, RecordsAreReadWhileHeldAndOwnLinesStayWhole) {
  TempDir dir;
  const FolderHandle folder = FolderHandle::Open(dir.path());
  ASSERT_TRUE(folder.IsOpen());
  AppendFile record;
  ASSERT_TRUE(record.Open(folder, "記録"));
  EXPECT_TRUE(record.EmptyOrEndsWith('\n'));
  ASSERT_TRUE(record.Append("one\n"));
  ASSERT_TRUE(record.Append("two"));
  EXPECT_FALSE(record.EmptyOrEndsWith('\n'));
  std::string read;
  ASSERT_TRUE(ReadFileIn(folder, "記録", 100, read)) << errno;
  EXPECT_EQ("one\ntwo", read);
  const auto status = StatFileIn(folder, "記録");
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(7u, status->size);
  EXPECT_FALSE(ReadFileIn(folder, "missing", 100, read));

  dir.Write("order", "a\nb");  // torn by a crash
  ASSERT_TRUE(AppendOwnLine(folder, "order", "c"));
  EXPECT_EQ("a\nb\nc\n", ReadOwnFile(folder, "order", 100).value_or("?"));
  EXPECT_FALSE(ReadOwnFile(folder, "order", 3).has_value()) << "larger than asked for";
  ASSERT_TRUE(ReplaceOwnFile(folder, "order", "new\n"));
  EXPECT_EQ("new\n", ReadOwnFile(folder, "order", 100).value_or("?"));
  EXPECT_FALSE(PathExists(dir.path() + "/order.new"));
}

// A version put back from the versions window replaces the file, with the version's time.
TEST(Win32Copy, AVersionPutBackReplacesTheFileWithItsTime) {
  TempDir dir;
  const std::string version = dir.Write("版.txt", "older words");
  talvenor::test::SetWriteTime(version, 1347892205);
  const std::string target = dir.Write("表.txt", "current");
  ASSERT_TRUE(CopyFileReplacing(version, target)) << errno;
  EXPECT_EQ("older words", ReadFile(target));
  EXPECT_EQ(ToFileTime(1347892205, 0), StatFile(target)->writeTime);
  EXPECT_EQ(2u, Listed(dir.path()).size()) << "no temporary left";
  EXPECT_FALSE(CopyFileReplacing(dir.path() + "/missing", target));
  EXPECT_EQ("older words", ReadFile(target));
}
