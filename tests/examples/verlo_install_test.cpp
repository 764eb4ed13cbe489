// cmake --install puts the plug-in bundles, artwork included, into the ~/.vst and ~/.lv2 of whoever
// runs it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

TEST(VerloInstall, GoesIntoTheVstFolderOfTheHomeAtInstallTime) {
  if (*VERLO_VST_INSTALL_DIR) GTEST_SKIP() << "the build installs into " << VERLO_VST_INSTALL_DIR;
  std::string scratch = (std::filesystem::temp_directory_path() / "verlo-install-XXXXXX").string();
  ASSERT_NE(mkdtemp(scratch.data()), nullptr);
  // DESTDIR keeps every copy inside the scratch folder whatever the install decides.
  for (const char* home : {"/home/first", "/home/second"}) {
    const std::string command = std::string("DESTDIR='") + scratch + "' HOME=" + home + " '" CMAKE_COMMAND_PATH
                                "' --install '" VERLO_BUILD_DIR "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(std::filesystem::is_regular_file(scratch + home + "/.vst/Verlo.vst/Verlo.so")) << home;
    EXPECT_TRUE(std::filesystem::is_regular_file(scratch + home + "/.vst/Verlo.vst/Resources/BG.png")) << home;
    if (*VERLO_LV2_INSTALL_DIR) continue;
    for (const char* file : {"Verlo.so", "manifest.ttl", "Verlo.ttl", "Resources/BG.png"})
      EXPECT_TRUE(std::filesystem::is_regular_file(scratch + home + "/.lv2/Verlo.lv2/" + file)) << home << " " << file;
  }
  std::filesystem::remove_all(scratch);
}

}  // namespace
