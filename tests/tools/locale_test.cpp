// verlo-host in a process that a plug-in has switched to a comma-decimal locale.
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "host_run.h"

namespace {

class LocaleTest : public HostTest {
protected:
  // A private de_DE.UTF-8, found through LOCPATH, so that nothing is installed for the system.
  void SetUp() override {
    HostTest::SetUp();
    const std::string locale = Path("locales/de_DE.UTF-8");
    std::filesystem::create_directories(Path("locales"));
    const std::string command = "localedef -i de_DE -f UTF-8 '" + locale + "' > /dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
    if (!std::filesystem::exists(locale + "/LC_NUMERIC"))
      GTEST_SKIP() << "cannot generate de_DE.UTF-8 with localedef (apt-get install locales)";
    mEnv = {"LOCPATH=" + Path("locales"), "LC_ALL=de_DE.UTF-8"};
  }
  std::vector<std::string> mEnv;
};

TEST_F(LocaleTest, NumbersKeepTheirDecimalPointWhenAPluginSetsACommaLocale) {
  const HostResult info = Run({"info", FakePlugin("locale-gain")}, mEnv);
  ASSERT_EQ(info.exitCode, 0) << info.err;
  // The plug-in's own display follows the locale it set, which shows the locale took effect.
  EXPECT_TRUE(Contains(info.out, "  0  Gain  0,00 dB  (normalised 0.500000)\n")) << info.out;

  WriteAudio(Path("in.wav"), ConstantAudio(1, 44100, 100, 0.25f));
  const HostResult r = Run({"render", FakePlugin("locale-gain"), Path("in.wav"), Path("out.wav"),
                            "--set-normalized", "gain=0.75"}, mEnv);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FLOAT_EQ(ReadAudio(Path("out.wav")).At(99, 0), 0.25f * float(std::pow(10.0, 12.0 / 20.0)));
}

}  // namespace
