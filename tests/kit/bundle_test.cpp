#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>

#include <string>

#include "kit/bundle.h"

TEST(Bundle, IsTheFolderOfTheLoadedCode) {
  char exe[PATH_MAX];
  ASSERT_NE(realpath("/proc/self/exe", exe), nullptr);
  const std::string folder = std::string(exe).substr(0, std::string(exe).rfind('/'));
  char path[PATH_MAX];
  ASSERT_TRUE(KIT_GetBundlePath(path, sizeof path));
  EXPECT_EQ(path, folder);
  ASSERT_TRUE(KIT_GetBundleResourcePath("knob.png", path, sizeof path));
  EXPECT_EQ(path, folder + "/Resources/knob.png");

  // Buffers that cannot hold the answer get nothing.
  char tiny[4] = "xyz";
  EXPECT_FALSE(KIT_GetBundlePath(tiny, sizeof tiny));
  EXPECT_STREQ(tiny, "");
  const size_t exact = folder.size() + std::string("/Resources/a").size() + 1;
  std::string buffer(exact, 'x');
  EXPECT_TRUE(KIT_GetBundleResourcePath("a", &buffer[0], exact));
  EXPECT_FALSE(KIT_GetBundleResourcePath("ab", &buffer[0], exact));
  EXPECT_FALSE(KIT_GetBundleResourcePath(nullptr, path, sizeof path));
}
