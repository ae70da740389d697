#include "core/file_names.h"

#include <gtest/gtest.h>

#include "core/magnet_color_table.h"

namespace {

// Kernel cache names made from (kind, h, angle, z), and read back.
TEST(FileNames, KernelCacheNamesRoundTrip) {
  struct Case {
    int kind, h, angle;
    float z;
    const char* name;
    int parsed_angle;  // only planar kernels carry the angle
  };
  const Case cases[] = {
      {AxialDipole, 5, 0, 3.0f, "Fluxart_Z5003_1005000.dat", 0},
      {PlanarDipole, 3, 45, 3.0f, "Fluxart_Z5003_2003045.dat", 45},
      {PlanarDipole, 2, 0, 3.0f, "Fluxart_Z5003_2002000.dat", 0},
      {PlanarDipole, 1, 270, 4.0f, "Fluxart_Z5004_2001270.dat", 270},
      {Monopole, 2, 0, -2.0f, "Fluxart_Z4998_3002000.dat", 0},
      {Monopole, 1, 0, 0.0f, "Fluxart_Z5000_3001000.dat", 0},
      // z is cut towards zero.
      {AxialDipole, 1, 45, 2.9f, "Fluxart_Z5002_1001000.dat", 0},
      {Monopole, 1, 0, -2002.0f, "Fluxart_Z2998_3001000.dat", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KernelCacheName(c.kind, c.h, c.angle, c.z), c.name);
    KernelCacheKey key;
    ASSERT_TRUE(ParseKernelCacheName(c.name, &key)) << c.name;
    EXPECT_EQ(key.z_tag, ZTag(c.z)) << c.name;
    EXPECT_EQ(key.kind, c.kind) << c.name;
    EXPECT_EQ(key.half_size, c.h) << c.name;
    EXPECT_EQ(key.angle, c.parsed_angle) << c.name;
    const std::string sums = KernelChecksumsName(c.name);
    EXPECT_EQ(sums, std::string(c.name).substr(0, 21) + ".sum");
    EXPECT_EQ(CacheNameOfChecksums(sums), c.name);
  }
  EXPECT_EQ(KernelChecksumsName("cache/Fluxart_Z5003_1005000.dat"),
            "cache/Fluxart_Z5003_1005000.sum");
  EXPECT_EQ(CacheNameOfChecksums("Fluxart_Z5003_1005000.dat"), "");
  EXPECT_EQ(CacheNameOfChecksums("Fluxart_Zmine.sum"), "");
}

// Names that are not the program's kernel cache files.
TEST(FileNames, OtherNamesAreNoKernelCacheFiles) {
  for (const char* name :
       {"Fluxart_Z5003_1005000.dat.0123456789abcdef.tmp",  // a temporary file
        "Fluxart_Z5003_1005045.dat",                       // an angle on an axial kernel
        "Fluxart_Z5003_4005000.dat",                       // no such kind
        "Fluxart_Z5003_105000.dat", "Fluxart_Z5003_10050000.dat", "Fluxart_Z_1005000.dat",
        "Fluxart_Z05003_1005000.dat", "Fluxart_Z50a3_1005000.dat", "fluxart_Z5003_1005000.dat",
        "Fluxart_Z5003_1005000.DAT", "Fluxart_Z5003_1005000", "bar_________Z5003_contours.png",
        ""}) {
    KernelCacheKey key;
    EXPECT_FALSE(ParseKernelCacheName(name, &key)) << name;
  }
}

TEST(FileNames, TemporaryNamesOfThisProgramAreKnownByTheirExactForm) {
  EXPECT_EQ(TemporaryName("out/a_Z5003_k_vector.txt", "0123456789abcdef"),
            "out/a_Z5003_k_vector.txt.0123456789abcdef.tmp");
  EXPECT_TRUE(IsFluxartTemporaryName("Fluxart_Z5003_2003045.dat.0123456789abcdef.tmp"));
  EXPECT_TRUE(IsFluxartTemporaryName("rin_________Z5003_stream_contours.png.00ff00ff00ff00ff.tmp"));
  EXPECT_TRUE(IsFluxartTemporaryName("rin_Z5003_k_vector.txt.0a0a0a0a0a0a0a0a.tmp"));  // a folder
  EXPECT_TRUE(IsFluxartTemporaryName("_Z4997_streamlines.png.ffffffffffffffff.tmp"));
  EXPECT_TRUE(IsFluxartTemporaryName("Fluxart_Z5003_2003045.sum.0123456789abcdef.tmp"));
  // Only the exact form: 16 lower-case hex digits after a cache or output name.
  for (const char* other :
       {"Fluxart_Z5003_2003045.dat", "Fluxart_Z5003_2003045.dat.tmp",
        "Fluxart_Z5003_2003045.dat.8412345.tmp", "Fluxart_Z5003_2003045.dat.01XY.tmp",
        "Fluxart_Z5003_2003045.dat.0123456789ABCDEF.tmp",
        "Fluxart_Z5003_2003045.dat.0123456789abcdef0.tmp", "Fluxart_Zmine.dat.0.tmp",
        "Fluxart_Zmine.sum.0123456789abcdef.tmp", "Fluxart_Z5003_2003045.sum.0123.tmp",
        "Fluxart_Zmine.dat.0123456789abcdef.tmp", "Fluxart_Z5003_203045.dat.0123456789abcdef.tmp",
        "my_contours.png.1.tmp", "my_contours.png.0123456789abcdef.tmp", "notes_contours.png.a.tmp",
        "holiday_k_vector.txt.beef.tmp", "holiday_____Z50x3_k_vector.txt.0123456789abcdef.tmp",
        "a.b_________Z5003_contours.png.0123456789abcdef.tmp",
        "thirteen_chars_Z5003_contours.png.0123456789abcdef.tmp", "notes.txt.0123456789abcdef.tmp"})
    EXPECT_FALSE(IsFluxartTemporaryName(other)) << other;
  EXPECT_TRUE(IsKernelCacheName("Fluxart_Z4997_1005000.dat"));
  EXPECT_FALSE(IsKernelCacheName("Fluxart_Z4997_1005000.dat.0123456789abcdef.tmp"));
  EXPECT_FALSE(IsKernelCacheName("fluxart_Z4997_1005000.dat"));
}

}  // namespace
