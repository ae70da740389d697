#include "app/output_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct NameCase {
  const char* input;
  float z;
  const char* contour;
  const char* i_table;
};

TEST(BuildOutputNames, FollowsTheNamingTable) {
  const NameCase cases[] = {
      {"testgrid01.png", 3, "testgrid01___Z5003_contours.png", "testgrid01___Z5003_i_vector.txt"},
      {"magnets.png", -2, "magnets______Z4998_contours.png", "magnets______Z4998_i_vector.txt"},
      {"averyverylongname.png", 10, "averyverylon_Z5010_contours.png",
       "averyverylon_Z5010_i_vector.txt"},
      {"pic", 3, "pic__________Z5003_contours.png", "pic__________Z5003_i_vector.txt"},
      {"./pic.png", 3, "_____________Z5003_contours.png", "_____________Z5003_i_vector.txt"},
      {"dir/pic.png", 0, "dir/pic______Z5000_contours.png", "dir/pic______Z5000_i_vector.txt"},
      {"abcdefghijkl.png", 1001, "abcdefghijkl_Z6001_contours.png",
       "abcdefghijkl_Z6001_i_vector.txt"},
      {"abcdefghijk.png", -1001, "abcdefghijk__Z3999_contours.png",
       "abcdefghijk__Z3999_i_vector.txt"},
  };
  for (const NameCase& c : cases) {
    const OutputNames names = BuildOutputNames(c.input, c.z);
    EXPECT_STREQ(names.contour_image, c.contour) << c.input;
    EXPECT_STREQ(names.i_table, c.i_table) << c.input;
  }
}

TEST(BuildOutputNames, AllSixNamesShareTheBaseAndTag) {
  const OutputNames names = BuildOutputNames("magnets.png", -2);
  EXPECT_STREQ(names.stream_image, "magnets______Z4998_streamlines.png");
  EXPECT_STREQ(names.combined_image, "magnets______Z4998_stream_contours.png");
  EXPECT_STREQ(names.j_table, "magnets______Z4998_j_vector.txt");
  EXPECT_STREQ(names.k_table, "magnets______Z4998_k_vector.txt");
  const std::set<std::string> distinct = {names.contour_image,  names.stream_image,
                                          names.combined_image, names.i_table,
                                          names.j_table,        names.k_table};
  EXPECT_EQ(distinct.size(), 6u);
}

TEST(BuildOutputNames, LongNamesAndOppositeDistancesStayApart) {
  const std::string very_long(300, 'x');
  const OutputNames names = BuildOutputNames(very_long, 3);
  EXPECT_STREQ(names.combined_image, "xxxxxxxxxxxx_Z5003_stream_contours.png");
  EXPECT_STRNE(BuildOutputNames("pic.png", 3).contour_image,
               BuildOutputNames("pic.png", -3).contour_image);
  EXPECT_STREQ(BuildOutputNames("pic.png", -3).k_table, "pic__________Z4997_k_vector.txt");
}

}  // namespace
