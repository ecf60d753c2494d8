#include "image/texture_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "support/pcx_file.h"
#include "support/temp_file.h"

TEST(TextureCache, LoadsEachNameOnceAndSharesThePicture) {
    TempDir dir;
    const std::string name = dir.write("a.pcx", PcxFile(2, 3).bytes());
    const std::string late = dir.path("late.pcx");
    TextureCache cache;
    const auto texture = cache.find(name.c_str());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->height, 3);
    EXPECT_EQ(cache.find(name.c_str()), texture);
    EXPECT_EQ(cache.find(nullptr), nullptr);
    EXPECT_EQ(cache.find(late.c_str()), nullptr);
    dir.write("late.pcx", PcxFile(2, 3).bytes());  // a name that failed stays failed
    EXPECT_EQ(cache.find(late.c_str()), nullptr);
}
