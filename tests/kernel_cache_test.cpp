#include "field/kernel_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/kernel_checksums.h"
#include "field/kernel_verification.h"
#include "tests/field_test_support.h"
#include "tests/full_disk.h"

namespace {

const std::string kWipe = std::string(46, '\b') + std::string(46, ' ') + std::string(46, '\b');

std::string CreatingMessage(const std::string& name) { return " - Creating New " + name + " File"; }

// A table whose every value says where it sits.
void FillWithPositions(KernelBuffer& k) {
  for (int p = 0; p < kKernelSide; ++p)
    for (int q = 0; q < kKernelSide; ++q)
      for (int n = 0; n < 3; ++n)
        k.table()[p][q][n] = static_cast<float>(p * 4096 + q * 4 + n) * 0.5f;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(KernelCache, StoredFileIsTheTableByteForByte) {
  ScratchDir dir;
  KernelBuffer table, loaded;
  FillWithPositions(table);
  const std::string path = dir / "Fluxart_Z5003_3001000.dat";
  ASSERT_TRUE(StoreKernelFile(path, table.table()));
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Fluxart_Z5003_3001000.dat"});

  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 19783872u);
  auto little_endian_at = [&](int p, int q, int n) {
    size_t offset = (static_cast<size_t>(p) * 1284 + q) * 12 + n * 4;
    uint32_t bits = 0;
    for (int k = 3; k >= 0; --k) bits = (bits << 8) | static_cast<unsigned char>(bytes[offset + k]);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  };
  EXPECT_EQ(little_endian_at(0, 0, 0), 0.0f);
  EXPECT_EQ(little_endian_at(0, 1, 2), table.at(0, 1, 2));
  EXPECT_EQ(little_endian_at(641, 1283, 1), table.at(641, 1283, 1));
  EXPECT_EQ(little_endian_at(1283, 1283, 2), table.at(1283, 1283, 2));

  ASSERT_TRUE(LoadKernelFile(path, loaded.table()));
  EXPECT_TRUE(loaded.SameBytes(table.values.data()));

  // A window of rows and columns brings its rows whole and no other row.
  KernelBuffer part;
  std::fill(part.values.begin(), part.values.end(), -7.0f);
  const KernelWindow window{5, 900, 100, 1001};
  ASSERT_TRUE(LoadKernelFile(path, part.table(), std::numeric_limits<float>::max(), 2, window));
  for (int p = 0; p < kKernelSide; ++p)
    for (int q = 0; q < kKernelSide; ++q) {
      const bool inside = p >= 5 && p < 900;
      for (int n = 0; n < 3; ++n)
        ASSERT_EQ(part.at(p, q, n), inside ? table.at(p, q, n) : -7.0f) << p << " " << q;
    }
}

TEST(KernelCache, FilesOfTheWrongSizeOrWithBadValuesAreNotTrusted) {
  ScratchDir dir;
  KernelBuffer table, loaded;
  FillWithPositions(table);
  const std::string path = dir / "Fluxart_Z5003_3001000.dat";
  ASSERT_TRUE(StoreKernelFile(path, table.table()));
  const std::string good = ReadFile(path);

  // Read on one thread, or in shares on several: every share is checked;
  // the size also when only some rows or columns are read.
  for (int threads : {1, 2, 3}) {
    const auto load_window = [&](const std::string& file, const KernelWindow& window) {
      return LoadKernelFile(file, loaded.table(), std::numeric_limits<float>::max(), threads,
                            window);
    };
    const auto load_rows = [&](const std::string& file, int begin, int end) {
      return load_window(file, {begin, end, 0, kKernelSide});
    };
    const auto load = [&](const std::string& file) { return load_rows(file, 0, kKernelSide); };
    EXPECT_FALSE(load(dir / "Fluxart_Z5003_3002000.dat"));  // missing
    for (const std::string& wrong_size : {std::string(), good.substr(0, good.size() - 1),
                                          good.substr(0, good.size() / 2), good + "x"}) {
      WriteBytes(path, wrong_size);
      EXPECT_FALSE(load(path)) << wrong_size.size() << " bytes, " << threads << " threads";
      EXPECT_FALSE(load_rows(path, 1, 700)) << wrong_size.size() << " bytes, rows 1..699";
      EXPECT_FALSE(load_window(path, {1, 700, 3, 600})) << wrong_size.size() << " bytes, window";
    }
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
      for (std::size_t at : {std::size_t{12 * 1000 + 4}, good.size() - 8}) {
        std::string corrupt = good;
        std::memcpy(&corrupt[at], &bad, 4);
        WriteBytes(path, corrupt);
        EXPECT_FALSE(load(path)) << "bad value at " << at << ", " << threads << " threads";
        // Rows and columns that do not hold the bad value are read and
        // trusted.
        EXPECT_TRUE(load_rows(path, 1, kKernelSide - 1)) << "bad value at " << at;
        const int column = static_cast<int>(at / 12 % kKernelSide);
        EXPECT_TRUE(load_window(path, {0, kKernelSide, 0, column})) << "bad value at " << at;
        EXPECT_FALSE(load_window(path, {0, kKernelSide, column, column + 1}))
            << "bad value at " << at;
      }
    WriteBytes(path, good);
    EXPECT_TRUE(load(path)) << threads << " threads";
    EXPECT_TRUE(loaded.SameBytes(table.values.data())) << threads << " threads";
  }
  // Only regular files are read: a folder, and a FIFO with no writer, which
  // must not be waited on.
  ASSERT_EQ(mkdir((dir / "Fluxart_Z5003_3003000.dat").c_str(), 0755), 0);
  EXPECT_FALSE(LoadKernelFile(dir / "Fluxart_Z5003_3003000.dat", loaded.table()));
  ASSERT_EQ(mkfifo((dir / "Fluxart_Z5003_3005000.dat").c_str(), 0644), 0);
  EXPECT_FALSE(LoadKernelFile(dir / "Fluxart_Z5003_3005000.dat", loaded.table(),
                              std::numeric_limits<float>::max(), 2));

  WriteBytes(path, good);
  EXPECT_TRUE(LoadKernelFile(path, loaded.table()));
}

TEST(KernelCache, FailedStoresLeaveNoFile) {
  ScratchDir dir;
  KernelBuffer table;
  // A folder that is a file: nothing can be created in it, not even by root.
  WriteBytes(dir / "plain_file", "x");
  EXPECT_FALSE(StoreKernelFile(dir / "plain_file/Fluxart_Z5003_3001000.dat", table.table()));
  // A folder in the way of the name: the finished temporary cannot be moved
  // there and is removed.
  ASSERT_EQ(mkdir((dir / "Fluxart_Z5003_3001000.dat").c_str(), 0755), 0);
  EXPECT_FALSE(StoreKernelFile(dir / "Fluxart_Z5003_3001000.dat", table.table()));
  std::vector<std::string> expected = {"Fluxart_Z5003_3001000.dat", "plain_file"};
  EXPECT_EQ(FilesIn(dir.path()), expected);
  EXPECT_TRUE(FilesIn(dir / "Fluxart_Z5003_3001000.dat").empty());
}

TEST(KernelCache, AReaderOfTheOldFileNeverSeesTheNewOneHalfWritten) {
  ScratchDir dir;
  KernelBuffer first, second, seen;
  FillWithPositions(first);
  for (float& v : second.values) v = -1.0f;
  const std::string path = dir / "Fluxart_Z5003_3001000.dat";
  ASSERT_TRUE(StoreKernelFile(path, first.table()));
  std::FILE* reader = std::fopen(path.c_str(), "rb");
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(std::fread(seen.values.data(), 1, 6000000, reader), 6000000u);
  ASSERT_TRUE(StoreKernelFile(path, second.table()));  // replaces while being read
  ASSERT_EQ(std::fread(reinterpret_cast<char*>(seen.values.data()) + 6000000, 1,
                       kKernelFileBytes - 6000000, reader),
            kKernelFileBytes - 6000000);
  std::fclose(reader);
  EXPECT_TRUE(seen.SameBytes(first.values.data()));
  ASSERT_TRUE(LoadKernelFile(path, seen.table()));
  EXPECT_TRUE(seen.SameBytes(second.values.data()));
}

// The entry points in a scratch working directory, at z = 3.
class KernelEntryPoints : public ::testing::Test {
 protected:
  void SetUp() override { ComputeKernel(Monopole, 1, 0, 3.0f, expected_.table()); }
  template <typename Call>
  std::string Run(Call call) {
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
  }
  bool TableIsExpected() { return expected_.SameBytes(&ws->kernel_table[0][0][0]); }

  const std::unique_ptr<Workspace> ws = NewWorkspace();
  CacheNotices told_;  // what the run has told, kept across a test's calls
  ScratchDir dir_;
  WorkingDirectory cwd_{dir_.path()};
  KernelBuffer expected_;
  const std::string name_ = "Fluxart_Z5003_3001000.dat";
  const std::string sums_ = "Fluxart_Z5003_3001000.sum";
};

TEST_F(KernelEntryPoints, FirstCallComputesAndStoresLaterCallsLoadSilently) {
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
            CreatingMessage(name_) + kWipe);
  EXPECT_TRUE(TableIsExpected());
  EXPECT_EQ(ReadFile(name_).size(), kKernelFileBytes);
  EXPECT_EQ(FilesIn("."), (std::vector<std::string>{name_, sums_}));

  std::memset(ws->kernel_table, 0x7f, sizeof(KernelTable));
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }), "");
  EXPECT_TRUE(TableIsExpected());
}

TEST_F(KernelEntryPoints, SingleCubeKernelsNeverTouchTheCache) {
  KernelBuffer single;
  ComputeKernel(AxialDipole, 0, 0, 3.0f, single.table());
  WriteBytes("Fluxart_Z5003_1000000.dat", "");  // present but must be ignored
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, AxialDipole, 0, 0, 3.0f); }), "");
  EXPECT_TRUE(single.SameBytes(&ws->kernel_table[0][0][0]));
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, PlanarDipole, 0, 45, 3.0f); }), "");
  EXPECT_EQ(FilesIn("."), std::vector<std::string>{"Fluxart_Z5003_1000000.dat"});
  EXPECT_EQ(ReadFile("Fluxart_Z5003_1000000.dat"), "");
}

TEST_F(KernelEntryPoints, UntrustedFilesAreRecomputedAndRewritten) {
  const std::string good_bytes = [&] {
    Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); });
    return ReadFile(name_);
  }();
  std::string corrupt = good_bytes;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::memcpy(&corrupt[4], &nan, 4);
  for (const std::string& bad : {std::string(), good_bytes.substr(0, 1000), corrupt}) {
    WriteBytes(name_, bad);
    std::memset(ws->kernel_table, 0, sizeof(KernelTable));
    EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
              CreatingMessage(name_) + kWipe);
    EXPECT_TRUE(TableIsExpected());
    EXPECT_TRUE(ReadFile(name_) == good_bytes);
  }
}

// A notice breaks the counter's line; blanks as wide as that line follow it.
std::string Notice(const std::string& line) { return "\n" + line + std::string(33, ' '); }

TEST_F(KernelEntryPoints, AFailedStoreStillGivesTheKernelEveryTimeAndIsToldOnce) {
  ASSERT_EQ(mkdir(name_.c_str(), 0755), 0);
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
            CreatingMessage(name_) + kWipe +
                Notice("fluxart: could not keep the kernel cache file " + name_ +
                       " (Is a directory); check the folder can be written\n"));
  EXPECT_TRUE(TableIsExpected());
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
            CreatingMessage(name_) + kWipe);
  EXPECT_TRUE(TableIsExpected());
  EXPECT_EQ(FilesIn("."), std::vector<std::string>{name_});
}

TEST_F(KernelEntryPoints, NoFileIsKeptWhenTheDiskWouldKeepLessThanTheReserve) {
  setenv("FLUXART_CACHE_RESERVE_MIB", "1000000000", 1);  // a petabyte
  const std::string first = Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); });
  const std::string second = Run([&] { FillKernelTable(*ws, told_, AxialDipole, 1, 0, 3.0f); });
  unsetenv("FLUXART_CACHE_RESERVE_MIB");
  EXPECT_EQ(first, CreatingMessage(name_) + kWipe +
                       Notice("fluxart: " + name_ +
                              " not kept: less than 1000000000 MiB would stay free on the disk; "
                              "free some room to keep kernel cache files\n"));
  EXPECT_EQ(second, CreatingMessage("Fluxart_Z5003_1001000.dat") + kWipe);
  EXPECT_TRUE(FilesIn(".").empty());
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
            CreatingMessage(name_) + kWipe);
  EXPECT_TRUE(TableIsExpected());
  EXPECT_EQ(FilesIn("."), (std::vector<std::string>{name_, sums_}))
      << "kept again once there is room";

  // With no reserve, a file that does not fit means the disk is full.
  ASSERT_EQ(mkdir("small", 0755), 0);
  CacheNotices fresh_notices;  // as in a run that has told nothing yet
  std::string full;
  {
    const FullDisk disk(1 << 20);
    WorkingDirectory in_small("small");
    setenv("FLUXART_CACHE_RESERVE_MIB", "0", 1);
    full = Run([&] { FillKernelTable(*ws, fresh_notices, Monopole, 1, 0, 3.0f); });
    unsetenv("FLUXART_CACHE_RESERVE_MIB");
    EXPECT_TRUE(FilesIn(".").empty());
  }
  EXPECT_EQ(full, CreatingMessage(name_) + kWipe +
                      Notice("fluxart: " + name_ +
                             " not kept: the disk is full; free some room to keep kernel cache "
                             "files\n"));
}

// Files of the right size whose contents are wrong: each is treated as
// missing, announced, recomputed and rewritten.
TEST_F(KernelEntryPoints, CorruptedFilesOfTheRightSizeAreRecomputedAndRewritten) {
  const std::string good = [&] {
    Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); });
    return ReadFile(name_);
  }();
  KernelBuffer other;
  ComputeKernel(Monopole, 1, 0, 4.0f, other.table());  // the same kernel one mm higher
  std::vector<std::pair<std::string, std::string>> bad = {
      {"zeros", std::string(good.size(), '\0')},
      {"another kernel",
       std::string(reinterpret_cast<const char*>(other.values.data()), kKernelFileBytes)},
      {"shifted by a value", good.substr(4) + std::string(4, '\0')},
      {"shifted by a cell", std::string(12, '\0') + good.substr(0, good.size() - 12)}};
  std::string huge = good;
  const float big = 1e38f;
  std::memcpy(&huge[12 * 777777 + 8], &big, 4);
  bad.push_back({"one huge finite value", huge});
  // Any stretch of 64 KiB, wherever it starts: zeros, or values that are in
  // range but belong elsewhere in the table.
  for (size_t at : {size_t{0}, size_t{12345}, size_t{9876543}, good.size() - 65536}) {
    std::string zeros = good, moved = good;
    std::fill(zeros.begin() + at, zeros.begin() + at + 65536, '\0');
    bad.push_back({"zeros at " + std::to_string(at), zeros});
    const size_t from = at < good.size() / 2 ? at + 400012 : at - 400012;
    std::copy(good.begin() + from, good.begin() + from + 65536, moved.begin() + at);
    bad.push_back({"moved values at " + std::to_string(at), moved});
  }
  for (const auto& [what, bytes] : bad) {
    ASSERT_EQ(bytes.size(), kKernelFileBytes) << what;
    WriteBytes(name_, bytes);
    EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
              CreatingMessage(name_) + kWipe)
        << what;
    EXPECT_TRUE(TableIsExpected()) << what;
    EXPECT_TRUE(ReadFile(name_) == good) << what;
  }
  // A load of some rows checks those rows: 64 KiB of zeros in the first
  // rows goes unseen by a window below them and is caught by one over them.
  std::string zeros_at_start = good;
  std::fill(zeros_at_start.begin(), zeros_at_start.begin() + 65536, '\0');
  const KernelWindow below{600, 1284, 0, 1284}, over{0, 700, 0, 1284};
  WriteBytes(name_, zeros_at_start);
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f, RunOptions(), below); }),
            "");
  EXPECT_EQ(std::memcmp(&ws->kernel_table[600][0][0], &expected_.values[600 * 1284 * 3],
                        sizeof(float) * 684 * 1284 * 3),
            0);
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f, RunOptions(), over); }),
            CreatingMessage(name_) + kWipe);
  EXPECT_TRUE(ReadFile(name_) == good);
  // A window of some columns still checks every sample of its rows: 64 KiB
  // of zeros from row 10 holds one sample, at column 660, outside the
  // columns read, which the zeros reach all the same.
  std::string zeros_at_row_10 = good;
  std::fill_n(zeros_at_row_10.begin() + 10 * 1284 * 12, 65536, '\0');
  const KernelWindow right_side{0, 700, 700, 1284};
  WriteBytes(name_, zeros_at_row_10);
  EXPECT_EQ(
      Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f, RunOptions(), right_side); }),
      CreatingMessage(name_) + kWipe);
  EXPECT_TRUE(ReadFile(name_) == good);
  EXPECT_EQ(
      Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f, RunOptions(), right_side); }),
      "");
  for (int p = 0; p < 700; ++p)
    ASSERT_EQ(std::memcmp(&ws->kernel_table[p][700][0], &expected_.values[(p * 1284 + 700) * 3],
                          sizeof(float) * 584 * 3),
              0)
        << "row " << p;
}

// A file this program wrote is checked against its checksums: damage that
// keeps every value in range and misses every sampled cell is caught all
// the same, in the rows and columns a window reads.
TEST_F(KernelEntryPoints, ChangesWithinTheValueRangeAreCaughtByTheChecksums) {
  const std::string good = [&] {
    Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); });
    return ReadFile(name_);
  }();
  const std::string good_sums = ReadFile(sums_);
  ASSERT_EQ(good_sums.size(), kChecksumsFileBytes);
  const auto changed = [&](std::size_t value, auto change) {
    std::string bytes = good;
    std::uint32_t bits;
    std::memcpy(&bits, &bytes[4 * value], 4);
    change(bits);
    std::memcpy(&bytes[4 * value], &bits, 4);
    return bytes;
  };
  const std::size_t far_corner = (252 * 1284 + 307) * 3 + 2;  // no sampled cell
  const float in_range = KernelValueBound(1, 3.0f) / 2;
  const std::pair<const char*, std::string> bad[] = {
      {"a far value made large",
       changed(far_corner, [&](std::uint32_t& b) { std::memcpy(&b, &in_range, 4); })},
      {"a sign flipped", changed(far_corner, [](std::uint32_t& b) { b ^= 0x80000000u; })},
      {"an exponent bit that shrinks",
       changed(far_corner + 3000, [](std::uint32_t& b) { b ^= 0x10000000u & b; })},
      {"the lowest bit", changed(far_corner - 1, [](std::uint32_t& b) { b ^= 1u; })}};
  for (const auto& [what, bytes] : bad) {
    ASSERT_NE(bytes, good) << what;
    WriteBytes(name_, bytes);
    EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
              CreatingMessage(name_) + kWipe)
        << what;
    EXPECT_TRUE(ReadFile(name_) == good && ReadFile(sums_) == good_sums) << what;
  }
  // Checksums that are damaged, short or another kernel's: the kernel is
  // remade and both files written again.
  std::string flipped_sums = good_sums;
  flipped_sums[5000] ^= 4;
  for (const std::string& bad_sums :
       {flipped_sums, good_sums.substr(0, 1000), good_sums + "x", std::string()}) {
    WriteBytes(sums_, bad_sums);
    EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }),
              CreatingMessage(name_) + kWipe);
    EXPECT_TRUE(ReadFile(name_) == good && ReadFile(sums_) == good_sums);
  }
  // A window off the stretches' bounds reads whole stretches and is checked
  // over them: a changed value just left of the window, in its stretch.
  const KernelWindow off_bounds{100, 900, 131, 1000};
  WriteBytes(name_, changed((500 * 1284 + 130) * 3, [](std::uint32_t& b) { b ^= 1u; }));
  EXPECT_EQ(
      Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f, RunOptions(), off_bounds); }),
      CreatingMessage(name_) + kWipe);
  EXPECT_EQ(
      Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f, RunOptions(), off_bounds); }),
      "");
  for (int p = 100; p < 900; ++p)
    ASSERT_EQ(std::memcmp(&ws->kernel_table[p][131][0], &expected_.values[(p * 1284 + 131) * 3],
                          sizeof(float) * 869 * 3),
              0)
        << "row " << p;
  // Without its checksums a file is one of unknown origin: the value range
  // and the sampled cells decide, and this change passes them.
  std::remove(sums_.c_str());
  WriteBytes(name_, bad[3].second);
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, Monopole, 1, 0, 3.0f); }), "");
}

TEST(KernelVerification, EveryModelsOwnTablePasses) {
  struct Case {
    int kind, h, angle;
    float z;
  };
  KernelBuffer table;
  for (Case c : {Case{AxialDipole, 2, 0, 0.0f}, Case{AxialDipole, 1, 0, -1000.0f},
                 Case{PlanarDipole, 1, 137, -3.0f}, Case{PlanarDipole, 3, 315, 1.0f},
                 Case{PlanarDipole, 2, 10, 0.0f}, Case{Monopole, 2, 0, 0.0f}}) {
    ComputeKernel(c.kind, c.h, c.angle, c.z, table.table());
    EXPECT_TRUE(SampledCellsMatch(c.kind, c.h, c.angle, c.z, table.table()))
        << c.kind << " " << c.h << " " << c.angle << " " << c.z;
    EXPECT_TRUE(ValuesWithin(table.values.data(), table.values.size(), KernelValueBound(c.h, c.z)))
        << c.kind << " " << c.h << " " << c.angle << " " << c.z;
  }
}

TEST_F(KernelEntryPoints, EntryPointsPickTheirModelAndName) {
  KernelBuffer axial, planar;
  ComputeKernel(AxialDipole, 1, 0, -1.0f, axial.table());
  ComputeKernel(PlanarDipole, 1, 315, -1.0f, planar.table());
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, AxialDipole, 1, 0, -1.0f); }),
            CreatingMessage("Fluxart_Z4999_1001000.dat") + kWipe);
  EXPECT_TRUE(axial.SameBytes(&ws->kernel_table[0][0][0]));
  EXPECT_EQ(Run([&] { FillKernelTable(*ws, told_, PlanarDipole, 1, 315, -1.0f); }),
            CreatingMessage("Fluxart_Z4999_2001315.dat") + kWipe);
  EXPECT_TRUE(planar.SameBytes(&ws->kernel_table[0][0][0]));
}

}  // namespace

// LoadCachedKernel is what decides between the cache and a computation.
TEST_F(KernelEntryPoints, CacheLookupLoadsOnlyTrustedFilesAndComputesNothing) {
  KernelBuffer& table = expected_;
  ASSERT_TRUE(StoreKernelFile(name_, table.table()));
  ASSERT_TRUE(StoreKernelFile("Fluxart_Z5003_3000000.dat", table.table()));
  testing::internal::CaptureStdout();
  KernelTable& loaded = ws->kernel_table;
  EXPECT_TRUE(LoadCachedKernel(loaded, Monopole, 1, 0, 3.0f));
  EXPECT_TRUE(table.SameBytes(&loaded[0][0][0]));
  // Single cubes are never taken from a file, even a good one.
  EXPECT_FALSE(LoadCachedKernel(loaded, Monopole, 0, 0, 3.0f));
  // Another z, kind or angle is another name: missing here.
  EXPECT_FALSE(LoadCachedKernel(loaded, Monopole, 1, 0, 4.0f));
  EXPECT_FALSE(LoadCachedKernel(loaded, PlanarDipole, 1, 0, 3.0f));
  WriteBytes(name_, "short");
  EXPECT_FALSE(LoadCachedKernel(loaded, Monopole, 1, 0, 3.0f));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  const std::vector<std::string> untouched = {"Fluxart_Z5003_3000000.dat", name_};
  EXPECT_EQ(FilesIn("."), untouched);
}
