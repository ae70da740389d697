// Files written whole or not at all, removed when the run is interrupted,
// and temporary files of killed runs swept away when stale.
#include "core/whole_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "core/interruption.h"
#include "core/stale_temporaries.h"
#include "tests/field_test_support.h"
#include "tests/full_disk.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(WholeFile, ReplacesTheNameAndNeverWritesThroughASymlink) {
  ScratchDir dir;
  std::string reason;
  ASSERT_TRUE(WriteWholeFile(dir / "out.png", "first", 5, false, &reason)) << reason;
  ASSERT_TRUE(WriteWholeFile(dir / "out.png", "second", 6, true, &reason)) << reason;
  EXPECT_EQ(ReadFile(dir / "out.png"), "second");

  WriteText(dir / "notes.txt", "keep me");
  ASSERT_EQ(symlink("notes.txt", (dir / "link.png").c_str()), 0);
  ASSERT_TRUE(WriteWholeFile(dir / "link.png", "picture", 7, false, &reason)) << reason;
  EXPECT_EQ(ReadFile(dir / "notes.txt"), "keep me");
  EXPECT_EQ(ReadFile(dir / "link.png"), "picture");
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "link.png"));
  const std::vector<std::string> expected = {"link.png", "notes.txt", "out.png"};
  EXPECT_EQ(FilesIn(dir.path()), expected) << "no temporary file is left";
}

TEST(WholeFile, AFailedWriteIsReportedAndLeavesTheOldFileAndNoTemporary) {
  ScratchDir dir;
  std::string reason;
  WriteText(dir / "plain", "x");
  EXPECT_FALSE(WriteWholeFile(dir / "plain/out.png", "a", 1, false, &reason));
  EXPECT_EQ(reason, "Not a directory");
  ASSERT_EQ(mkdir((dir / "folder.png").c_str(), 0755), 0);
  EXPECT_FALSE(WriteWholeFile(dir / "folder.png", "a", 1, false, &reason));
  EXPECT_EQ(reason, "Is a directory");
  const std::vector<std::string> expected = {"folder.png", "plain"};
  EXPECT_EQ(FilesIn(dir.path()), expected);
}

// Writing 1 MiB into folder, whose disk has less room, fails with the
// system's reason and leaves the old file as it was and no temporary file,
// with and without the flush to the disk.
void ExpectFullDiskLeavesTheOldFile(const std::string& folder) {
  WriteText(folder + "/table.txt", "old table");
  const std::string big(1 << 20, 'v');
  for (bool sync : {false, true}) {
    std::string reason;
    EXPECT_FALSE(WriteWholeFile(folder + "/table.txt", big.data(), big.size(), sync, &reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_EQ(ReadFile(folder + "/table.txt"), "old table");
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"table.txt"});
  }
}

TEST(WholeFile, AFullDiskIsReportedAndLeavesTheOldFileAndNoTemporary) {
  ScratchDir dir;
  {
    const FullDisk disk(256 << 10);
    ExpectFullDiskLeavesTheOldFile(dir.path());
  }
  // Once more on a real small file system, where one can be mounted.
  const std::string small = dir / "small";
  ASSERT_EQ(mkdir(small.c_str(), 0755), 0);
  if (mount("fluxart_test", small.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root): the real full disk not tried";
  ExpectFullDiskLeavesTheOldFile(small);
  umount(small.c_str());
}

// A child process begins a file, then is sent the signal while writing it.
void ExpectSignalRemovesTheFile(int signal_number) {
  ScratchDir dir;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstallInterruptionCleanup();
    WholeFile file;
    std::string reason;
    if (!BeginWholeFile(dir / "out.txt", true, false, &file, &reason)) _exit(2);
    std::fputs("half a table", file.stream);
    std::fflush(file.stream);
    if (write(ready[1], "x", 1) != 1) _exit(3);
    for (;;) pause();
  }
  char byte;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(FilesIn(dir.path()).size(), 1u) << "the temporary file exists while written";
  EXPECT_EQ(FilesIn(dir.path())[0].rfind("out.txt.", 0), 0u);
  kill(child, signal_number);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), signal_number) << "ends as the signal ends it: 128 + n in the shell";
  EXPECT_TRUE(FilesIn(dir.path()).empty());
  close(ready[0]);
  close(ready[1]);
}

TEST(WholeFile, InterruptionRemovesTheFileBeingWritten) {
  ExpectSignalRemovesTheFile(SIGINT);
  ExpectSignalRemovesTheFile(SIGTERM);
  ExpectSignalRemovesTheFile(SIGHUP);  // the terminal was closed
}

void MakeOld(const std::string& path) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10));
}

TEST(StaleTemporaries, OnlyUnlockedOldTemporariesOfThisProgramAreRemoved) {
  ScratchDir dir;
  const std::string stale = "Fluxart_Z5003_3001000.dat.00000000000000aa.tmp";
  const std::string fresh = "Fluxart_Z5003_3002000.dat.00000000000000bb.tmp";
  const std::string foreign = "drawing.png.0123.tmp";
  for (const std::string& name : {stale, fresh, foreign}) WriteText(dir / name, "part");
  MakeOld(dir / stale);
  MakeOld(dir / foreign);
  // A file another run is still writing: locked, and old by its time stamp.
  WholeFile writing;
  std::string reason;
  ASSERT_TRUE(
      BeginWholeFile(dir / "a____________Z5003_contours.png", false, false, &writing, &reason));
  MakeOld(writing.temporary);

  EXPECT_EQ(RemoveStaleTemporaries(dir.path()), 1);
  EXPECT_FALSE(FileExists(dir / stale));
  EXPECT_TRUE(FileExists(dir / fresh));
  EXPECT_TRUE(FileExists(dir / foreign));
  EXPECT_TRUE(FileExists(writing.temporary));
  ASSERT_TRUE(FinishWholeFile(&writing, &reason)) << reason;
  EXPECT_TRUE(FileExists(dir / "a____________Z5003_contours.png"));

  // The drawing itself is never swept, even under a temporary's name or
  // through a link.
  const std::string drawing = "b____________Z5003_contours.png.0123456789abcdef.tmp";
  const std::string linked = "Fluxart_Z5003_3001000.dat.0123456789abcdef.tmp";
  WriteText(dir / drawing, "my drawing");
  ASSERT_EQ(link((dir / drawing).c_str(), (dir / linked).c_str()), 0);
  MakeOld(dir / drawing);
  EXPECT_EQ(RemoveStaleTemporaries(dir.path(), dir / drawing), 0);
  EXPECT_EQ(ReadFile(dir / drawing), "my drawing");
  EXPECT_TRUE(FileExists(dir / linked));
  EXPECT_EQ(RemoveStaleTemporaries(dir.path()), 2);
}

}  // namespace
