#include "setup/profile_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "setup/debug_log.h"
#include "setup/graphics_options.h"
#include "setup/hardware_profile.h"
#include "setup/platform_profile.h"
#include "setup/test_support.h"

namespace {

namespace fs = std::filesystem;
using setuptest::LoadProfile;
using setuptest::ParseProfile;
using setuptest::TempPath;

// What the setup dialog starts with on a machine: the device list and the
// saved choice's bytes.
struct Detected {
  std::vector<std::string> fDevices;
  std::string fChoice;
};

Detected Detect(const HardwareProfile& profile) {
  ProfilePlatform platform(profile);
  const std::string game = TempPath("profile-writer");
  fs::remove_all(game);
  fs::create_directories(game + "/init");
  DebugInfoLog log(game + "/debug_info.dat");
  GraphicsOptions options(platform, log, game);
  TraceCapture capture;
  options.Detect();
  Detected detected;
  if (options.ChooseDefault()) {
    detected.fDevices = options.DeviceLabels();
    options.ChoiceBytes(&detected.fChoice);
  }
  return detected;
}

// A machine described and read back is detected as before. Glide windows are
// not described, so the profiles with Glide are compared on their text only.
TEST(ProfileWriterTest, DescribedMachineIsDetectedTheSame) {
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(setuptest::ProfilePath(""))) {
    if (entry.path().extension() != ".profile") continue;
    const std::string name = entry.path().filename().string();
    const HardwareProfile original = LoadProfile(name);
    ProfilePlatform platform(original);
    const std::string text = DescribeHardware(platform);
    const HardwareProfile described = ParseProfile(text);
    ProfilePlatform again(described);
    EXPECT_EQ(DescribeHardware(again), text) << name;
    if (original.fHasGlide) continue;
    const Detected before = Detect(original);
    const Detected after = Detect(described);
    EXPECT_EQ(after.fDevices, before.fDevices) << name;
    EXPECT_EQ(after.fChoice, before.fChoice) << name;
    ++compared;
  }
  EXPECT_GE(compared, 20);
}

TEST(ProfileWriterTest, WritesEveryFieldOfADriverAndDevice) {
  const HardwareProfile profile = ParseProfile(
      "[system]\nmemory = 64MB\nuser = Test Player\n"
      "[driver]\nprimary = yes\ndescription = Primary Display Driver\nname = display\n"
      "caps2 = CANRENDERWINDOWED\nvideo-memory = 8MB\ntexture-memory = 6MB\n"
      "id-driver = nvdd32.dll\nid-description = NVIDIA RIVA TNT\nid-version = 4.12.1.1234\n"
      "id-vendor = 0x10DE\nid-device = 0x20\nmodes = 640x480x16 1024x768x32\n"
      "[device]\nname = Direct3D HAL\nguid = hal\ndevcaps = HWRASTERIZATION\n"
      "texturecaps = PERSPECTIVE\nfiltercaps = MIPLINEAR\nrastercaps = DITHER FOGTABLE\n"
      "depths = 16 32\ntextures = 2\n");
  ProfilePlatform platform(profile);
  EXPECT_EQ(DescribeHardware(platform),
            "# What detection found on this machine.\n[system]\nmemory = 67108864\n"
            "user = Test Player\n\n[driver]\nprimary = yes\n"
            "description = Primary Display Driver\nname = display\ncaps2 = 0x80000\n"
            "video-memory = 8388608\ntexture-memory = 6291456\nid-driver = nvdd32.dll\n"
            "id-description = NVIDIA RIVA TNT\nid-version = 4.12.1.1234\nid-vendor = 0x10DE\n"
            "id-device = 0x20\nmodes = 640x480x16\nmodes = 1024x768x32\n\n[device]\n"
            "name = Direct3D HAL\nguid = 84E63DE0-46AA-11CF-816F-0000C020156E\n"
            "devcaps = 0x80000\ntexturecaps = 0x1\nfiltercaps = 0x8\nrastercaps = 0x101\n"
            "depth-mask = 0x500\ntextures = 2\n");
}

}  // namespace
