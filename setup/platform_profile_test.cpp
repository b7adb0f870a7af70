#include "setup/platform_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "setup/test_support.h"

namespace {

using setuptest::ParseProfile;

TEST(HardwareProfileTest, EveryShippedProfileReads) {
  int count = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TESSERA_SOURCE_DIR) + "/setup/profiles")) {
    if (entry.path().extension() != ".profile") continue;
    HardwareProfile profile;
    std::string error;
    EXPECT_TRUE(LoadHardwareProfile(entry.path().string(), &profile, &error)) << error;
    ++count;
  }
  EXPECT_GE(count, 30);
}

TEST(HardwareProfileTest, ValuesOfEveryKind) {
  HardwareProfile profile = ParseProfile(
      "# comment\n"
      "[System]\r\n"
      "  MEMORY = 127 MB   # trailing comment\n"
      "user = Jane  Doe\n"
      "[glide]\n"
      "tmus = 3\n"
      "renderer = Voodoo#5\n"
      "texture-max = 0xFFFFF8\n"
      "procs = a b\n"
      "procs = c\n"
      "windows = 1024x768 640X480\n"
      "[driver]\n"
      "guid = {3D8AF1E0-0000-11D2-A1B2-00A0C9000002}\n"
      "create = no-direct3d\n"
      "caps2 = canrenderwindowed 0x3\n"
      "video-memory = 512KB\n"
      "texture-memory = 1GB\n"
      "id-version = 65535.0.1.1234\n"
      "modes = 640x480x16\n"
      "modes = 1600X1200X32\n"
      "[device]\n"
      "guid = TnLHal\n"
      "rastercaps = DITHER FOGTABLE ANTIALIASSORTINDEPENDENT FOGRANGE WBUFFER\n"
      "depths = 16 24 32\n");
  EXPECT_EQ(profile.fMemory, 127u << 20);
  EXPECT_TRUE(profile.fHasUser);
  EXPECT_EQ(profile.fUser, "Jane  Doe");
  ASSERT_TRUE(profile.fHasGlide);
  EXPECT_EQ(profile.fGlide.fBoards, 1);
  EXPECT_EQ(profile.fGlide.fTmus, 3);
  EXPECT_EQ(profile.fGlide.fRenderer, "Voodoo#5");
  EXPECT_EQ(profile.fGlide.fTextureMax, 0xFFFFF8u);
  EXPECT_EQ(profile.fGlide.fProcs, std::vector<std::string>({"a", "b", "c"}));
  EXPECT_EQ(profile.fGlide.fWindows, std::vector<uint32_t>({12, 7}));
  ASSERT_EQ(profile.fDrivers.size(), 1u);
  const DriverProfile& driver = profile.fDrivers[0];
  EXPECT_FALSE(driver.fDriver.fPrimary);
  EXPECT_EQ(driver.fDriver.fGuid.fData1, 0x3D8AF1E0u);
  EXPECT_EQ(driver.fCreate, DriverProfile::Create::kNoDirect3D);
  EXPECT_EQ(driver.fCaps.fCaps2, 0x80003u);
  EXPECT_EQ(driver.fCaps.fTotalVideoMemory, 512u << 10);
  EXPECT_TRUE(driver.fHasTextureMemory);
  EXPECT_EQ(driver.fTextureMemory, 1u << 30);
  EXPECT_EQ(driver.fIdentifier.fVersionHigh, 0xFFFF0000u);
  EXPECT_EQ(driver.fIdentifier.fVersionLow, 0x000104D2u);
  ASSERT_EQ(driver.fModes.size(), 2u);
  EXPECT_EQ(driver.fModes[1].fWidth, 1600u);
  EXPECT_EQ(driver.fModes[1].fBitsPerPixel, 32u);
  ASSERT_EQ(driver.fDevices.size(), 1u);
  EXPECT_EQ(driver.fDevices[0].fGuid.fData1, 0xF5049E78u);
  EXPECT_EQ(driver.fDevices[0].fRasterCaps, 0x50901u);
  EXPECT_EQ(driver.fDevices[0].fRenderDepthMask, 0x700u);
}

TEST(HardwareProfileTest, ErrorsNameTheirLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"memory = 1\n", "line 1: 'memory' outside a section"},
      {"[system]\nmemroy = 1\n", "line 2: unknown key 'memroy' in [system]"},
      {"[sytem]\n", "line 1: unknown section [sytem]"},
      {"[system\n", "line 1: a section name ends with ']'"},
      {"[system]\nmemory 12\n", "line 2: expected 'key = value'"},
      {"[system]\nmemory = 12 TB\n", "line 2: '12 TB' is not a size in range"},
      {"[system]\nmemory = 17179869184GB\n", "line 2: '17179869184GB' is not a size in range"},
      {"[glide]\ntmus = -1\n", "line 2: '-1' is not a number in range"},
      {"[glide]\ntmus = 2147483648\n", "line 2: '2147483648' is not a number in range"},
      {"[glide]\ntexture-max = 0x100000000\n", "line 2: '0x100000000' is not a number in range"},
      {"[glide]\nwindows = 1280x1024\n",
       "line 2: Glide resolution '1280x1024' is not 640x480, 800x600 or 1024x768"},
      {"[glide]\n[glide]\n", "line 2: a second [glide] section"},
      {"[device]\n", "line 1: [device] before any [driver]"},
      {"[driver]\nprimary = true\n", "line 2: expected yes or no, not 'true'"},
      {"[driver]\ncreate = maybe\n", "line 2: create is ok, fails or no-direct3d, not 'maybe'"},
      {"[driver]\nmodes = 640x480\n", "line 2: '640x480' is not a mode such as 800x600x16"},
      {"[driver]\nmodes = 640x480x16x2\n",
       "line 2: '640x480x16x2' is not a mode such as 800x600x16"},
      {"[driver]\nid-version = 4.12.1\n", "line 2: '4.12.1' is not a version such as 4.12.1.1234"},
      {"[driver]\nid-version = 4.65536.1.1\n",
       "line 2: '4.65536.1.1' is not a version such as 4.12.1.1234"},
      {"[driver]\nvideo-memory = 4GB\n", "line 2: '4GB' is not a size in range"},
      {"[driver]\n[device]\nguid = tnl\n", "line 3: 'tnl' is not a device kind or a guid"},
      {"[driver]\n[device]\ndevcaps = HWRASTER\n", "line 3: unknown flag 'HWRASTER'"},
      {"[driver]\n[device]\ndepths = 8\n", "line 3: render depth '8' is not 16, 24 or 32"},
      {"[driver]\nprimary = yes\n[driver]\nprimary = yes\n", "more than one primary driver"},
      {"[driver]\nguid = 3D8AF1E0-0000-11D2-A1B2-00A0C9000002\n[driver]\n"
       "guid = 3D8AF1E0-0000-11D2-A1B2-00A0C9000002\n",
       "drivers 1 and 2 have the same guid"},
  };
  for (const Case& c : cases) {
    HardwareProfile profile;
    profile.fMemory = 99;
    std::string error;
    EXPECT_FALSE(ParseHardwareProfile(c.text, &profile, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(profile.fMemory, 99u);
  }
}

TEST(HardwareProfileTest, LimitsOfTheReader) {
  std::string error;
  HardwareProfile profile;
  std::string line(1025, 'a');
  EXPECT_FALSE(ParseHardwareProfile("[system]\n" + line + "\n", &profile, &error));
  EXPECT_EQ(error, "line 2: longer than 1024 characters");
  EXPECT_FALSE(
      ParseHardwareProfile("[system]\nuser = " + std::string(512, 'u') + "\n", &profile, &error));
  EXPECT_EQ(error, "line 2: a value is longer than 511 characters");
  EXPECT_TRUE(
      ParseHardwareProfile("[system]\nuser = " + std::string(511, 'u') + "\n", &profile, &error));

  std::string drivers;
  for (int i = 0; i < 65; ++i) drivers += "[driver]\n";
  EXPECT_FALSE(ParseHardwareProfile(drivers, &profile, &error));
  EXPECT_EQ(error, "line 65: too many drivers");

  std::string modes = "[driver]\n";
  for (int i = 0; i < 4097; ++i) modes += "modes = 640x480x16\n";
  EXPECT_FALSE(ParseHardwareProfile(modes, &profile, &error));
  EXPECT_EQ(error, "line 4098: too many modes");

  EXPECT_FALSE(ParseHardwareProfile(std::string((1 << 20) + 1, '#'), &profile, &error));
  EXPECT_EQ(error, "the profile is larger than 1 MB");

  EXPECT_FALSE(LoadHardwareProfile(setuptest::TempPath("missing.profile"), &profile, &error));
}

TEST(HardwareProfileTest, SecondaryDriversWithoutGuidAreToldApart) {
  HardwareProfile profile = ParseProfile("[driver]\nprimary = yes\n[driver]\n[driver]\n");
  ASSERT_EQ(profile.fDrivers.size(), 3u);
  EXPECT_EQ(profile.fDrivers[0].fDriver.fGuid, Guid());
  EXPECT_NE(profile.fDrivers[1].fDriver.fGuid, Guid());
  EXPECT_NE(profile.fDrivers[1].fDriver.fGuid, profile.fDrivers[2].fDriver.fGuid);
}

TEST(GuidTest, Parse) {
  struct Case {
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {"8767DF22-BACC-11D1-8969-00A0C90629A8", true},
      {"8767df22-bacc-11d1-8969-00a0c90629a8", true},
      {"{8767DF22-BACC-11D1-8969-00A0C90629A8}", true},
      {"8767DF22-BACC-11D1-8969-00A0C90629A", false},
      {"8767DF22BACC-11D1-8969-00A0C90629A8-", false},
      {"8767DF2G-BACC-11D1-8969-00A0C90629A8", false},
      {"{8767DF22-BACC-11D1-8969-00A0C90629A8", false},
      {"", false},
  };
  for (const Case& c : cases) {
    Guid guid;
    guid.fData1 = 5;
    EXPECT_EQ(Guid::Parse(c.text, &guid), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(guid.fData1, 0x8767DF22u);
      EXPECT_EQ(guid.fData2, 0xBACCu);
      EXPECT_EQ(guid.fData3, 0x11D1u);
      EXPECT_EQ(guid.fData4[0], 0x89);
      EXPECT_EQ(guid.fData4[7], 0xA8);
    } else {
      EXPECT_EQ(guid.fData1, 5u);
    }
  }
}

TEST(ProfilePlatformTest, SystemFacts) {
  ProfilePlatform withUser(ParseProfile("[system]\nmemory = 64MB\nuser = Jane Doe\n"));
  std::string name = "kept";
  EXPECT_TRUE(withUser.UserName(&name));
  EXPECT_EQ(name, "Jane Doe");
  EXPECT_EQ(withUser.TotalPhysicalMemory(), 64u << 20);
  EXPECT_EQ(withUser.Glide(), nullptr);
  ProfilePlatform withoutUser(ParseProfile(""));
  name = "kept";
  EXPECT_FALSE(withoutUser.UserName(&name));
  EXPECT_EQ(name, "kept");
}

}  // namespace
