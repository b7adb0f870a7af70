#include "setup/chipset_tuning.h"
#include "setup/device_record.h"
#include "setup/device_selector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "setup/platform_profile.h"
#include "setup/test_support.h"

namespace {

using setuptest::LoadProfile;
using setuptest::ParseProfile;
using setuptest::ReadFile;
using setuptest::TempPath;

using setuptest::FixedTime;

std::string ModeList(const std::vector<DisplayMode>& modes) {
  std::string text;
  for (const DisplayMode& mode : modes) {
    if (!text.empty()) text += " ";
    text += std::to_string(mode.fWidth) + "x" + std::to_string(mode.fHeight) + "x" +
            std::to_string(mode.fDepth);
  }
  return text;
}

std::vector<uint32_t> Bits(const CapabilityBits& caps) {
  std::vector<uint32_t> bits;
  for (uint32_t bit = 0; bit < 32 * caps.Words().size(); ++bit) {
    if (caps.Test(bit)) bits.push_back(bit);
  }
  return bits;
}

// Detection against a profile, with an enabled log in a temporary file.
class DetectionTest : public ::testing::Test {
 protected:
  DetectionTest() : log_(TempPath("debug_info.dat")) {
    log_.fNow = &FixedTime;
    log_.Enable();
  }

  void Detect(HardwareProfile profile) {
    platform_ = std::make_unique<ProfilePlatform>(std::move(profile));
    selector_ = std::make_unique<DeviceSelector>(*platform_, log_);
    TraceCapture capture;
    selector_->DetectDevices();
    trace_ = capture.Take();
  }

  const std::vector<DeviceRecord>& Devices() const { return selector_->Devices(); }

  // The log written so far, closing line included.
  std::string LogText() {
    log_.Close();
    return ReadFile(TempPath("debug_info.dat"));
  }

  bool LogHasLine(const std::string& line) {
    return LogText().find("\n" + line + "\n") != std::string::npos;
  }

  DebugInfoLog log_;
  std::unique_ptr<ProfilePlatform> platform_;
  std::unique_ptr<DeviceSelector> selector_;
  std::string trace_;
};

// ---------------------------------------------------------------------------
// Records, bits and the mode order.

TEST(DeviceRecordTest, NewRecordHasVersion7AndNothingElse) {
  DeviceRecord record;
  EXPECT_EQ(record.fVersion, 7u);
  EXPECT_EQ(record.fFlags, 0u);
  EXPECT_EQ(record.fType, 0u);
  EXPECT_EQ(record.fClass, 0);
  EXPECT_TRUE(record.fDriverDescription.empty());
  EXPECT_TRUE(record.fCaps.Words().empty());
  EXPECT_EQ(record.fTextureUnits, 0u);
  EXPECT_EQ(record.fMemory, 0u);
  EXPECT_TRUE(record.fModes.empty());
  for (float f : record.fFudge) EXPECT_EQ(f, 0.0f);
}

TEST(DeviceRecordTest, ModeCountStopsAtSixteenBits) {
  DeviceRecord record;
  for (size_t i = 0; i < DeviceRecord::kMaxModes; ++i) ASSERT_TRUE(record.AddMode(640, 480, 16));
  EXPECT_FALSE(record.AddMode(800, 600, 16));
  EXPECT_EQ(record.fModes.size(), 0xFFFFu);
}

TEST(CapabilityBitsTest, BitsGrowTheVectorAndReadZeroPastTheEnd) {
  CapabilityBits caps;
  EXPECT_FALSE(caps.Test(14));
  EXPECT_FALSE(caps.Test(1000));
  caps.Clear(70);
  EXPECT_TRUE(caps.Words().empty());
  caps.Set(14);
  EXPECT_EQ(caps.Words(), std::vector<uint32_t>({0x4000}));
  caps.Set(33);
  EXPECT_EQ(caps.Words(), std::vector<uint32_t>({0x4000, 0x2}));
  caps.Set(95);
  EXPECT_EQ(caps.Words(), std::vector<uint32_t>({0x4000, 0x2, 0x80000000}));
  EXPECT_TRUE(caps.Test(33));
  EXPECT_FALSE(caps.Test(32));
  caps.Clear(14);
  caps.Assign(31, true);
  EXPECT_EQ(caps.Words(), std::vector<uint32_t>({0x80000000, 0x2, 0x80000000}));
}

TEST(ModeOrderTest, DepthFirstThenSize) {
  std::vector<DisplayMode> modes = {
      {0, 800, 600, 32}, {0, 1024, 768, 16}, {0, 640, 480, 16}, {0, 640, 480, 32}};
  SortModes(modes);
  EXPECT_EQ(ModeList(modes), "640x480x16 1024x768x16 640x480x32 800x600x32");
}

TEST(ModeOrderTest, RefinesTheEngineOrderAndIsSafeForAnyInput) {
  // Sizes that the engine's order leaves unordered (one dimension larger,
  // the other smaller) still sort deterministically.
  std::vector<DisplayMode> modes = {
      {0, 1280, 720, 16}, {0, 1024, 768, 16}, {0, 0, 0, 0}, {0, 720, 1280, 16}, {0, 1024, 768, 16}};
  SortModes(modes);
  EXPECT_EQ(ModeList(modes), "0x0x0 1280x720x16 1024x768x16 1024x768x16 720x1280x16");
  for (size_t i = 0; i < modes.size(); ++i) {
    for (size_t j = i + 1; j < modes.size(); ++j) {
      const DisplayMode& a = modes[i];
      const DisplayMode& b = modes[j];
      bool engineSaysBBeforeA =
          b.fDepth < a.fDepth ||
          (b.fDepth == a.fDepth && b.fHeight < a.fHeight && b.fWidth < a.fWidth);
      EXPECT_FALSE(engineSaysBBeforeA) << i << " " << j;
    }
  }
}

TEST(DriverVersionTest, FourPartsWithTheirWidths) {
  EXPECT_EQ(FormatDriverVersion(4u << 16 | 12, 1u << 16 | 1234), "4.12.01.1234");
  EXPECT_EQ(FormatDriverVersion(4u << 16 | 13, 1u << 16 | 7), "4.13.01.0007");
  EXPECT_EQ(FormatDriverVersion(0, 0), "0.00.00.0000");
  EXPECT_EQ(FormatDriverVersion(0xFFFFFFFF, 0xFFFFFFFF), "65535.65535.65535.65535");
}

TEST(DeviceClassTest, PublishedIdentifiers) {
  struct Case {
    const char* guid;
    int32_t deviceClass;
  };
  const Case cases[] = {
      {"8767DF22-BACC-11D1-8969-00A0C90629A8", 1}, {"F2086B20-259F-11CF-A31A-00AA00B93356", 2},
      {"A4665C60-2673-11CF-A31A-00AA00B93356", 3}, {"84E63DE0-46AA-11CF-816F-0000C020156E", 4},
      {"881949A1-D6F3-11D0-89AB-00A0C9054129", 5}, {"F5049E78-4861-11D2-A407-00A0C90629A8", 6},
      {"50936643-13E9-11D1-89AA-00A0C9054129", 7}, {"50936643-13E9-11D1-89AA-00A0C9054128", 0},
      {"00000000-0000-0000-0000-000000000000", 0},
  };
  for (const Case& c : cases) {
    Guid guid;
    ASSERT_TRUE(Guid::Parse(c.guid, &guid)) << c.guid;
    EXPECT_EQ(DeviceClassOf(guid), c.deviceClass) << c.guid;
  }
}

// ---------------------------------------------------------------------------
// The Glide stage.

TEST_F(DetectionTest, GlideBoardWhoseOnlyWindowIs640x480) {
  Detect(LoadProfile("voodoo-graphics-640.profile"));
  ASSERT_GE(Devices().size(), 1u);
  const DeviceRecord& glide = Devices()[0];
  EXPECT_EQ(glide.fType, static_cast<uint32_t>(kDeviceTypeGlide));
  EXPECT_EQ(glide.fClass, 0);
  EXPECT_EQ(ModeList(glide.fModes), "640x480x16");
  EXPECT_EQ(glide.fDriverDescription, "3Dfx Interactive Inc.");
  EXPECT_EQ(glide.fDriverName, "glide3.dll");
  EXPECT_EQ(glide.fDriverVersion, "3.00.00");
  EXPECT_EQ(glide.fDeviceDescription, "Voodoo Graphics");
  EXPECT_EQ(glide.fMemory, 0x200000u);
  EXPECT_EQ(glide.fTextureUnits, 1u);
  EXPECT_EQ(Bits(glide.fCaps), std::vector<uint32_t>({1, 2, 3, 4}));
  for (float f : glide.fFudge) EXPECT_EQ(f, 0.0f);

  const std::vector<std::string> expected = {
      "RegisterClass(DSTestClass)",
      "grGet(0xF) = 1",
      "grGlideInit()",
      "grSstSelect(0)",
      "CreateWindow(Glide Test Window, 0, 0, 640, 480) = 1",
      "grGet(0x13) = 1",
      "grGetString(0xA3) = 3Dfx Interactive Inc.",
      "grGetString(0xA4) = 3.00.00",
      "grGetString(0xA2) = Voodoo Graphics",
      "grTexMaxAddress(0) = 0x1FFFF8",
      "grTexMinAddress(0) = 0x0",
      "grGetString(0xA0) = CHROMARANGE TEXCHROMA",
      "grSstWinOpen(1, 12, 0, 1, 0, 2, 1) = 0",
      "grSstWinOpen(1, 8, 0, 1, 0, 2, 1) = 0",
      "grSstWinOpen(1, 7, 0, 1, 0, 2, 1) = 1",
      "grSstWinClose(1)",
      "DestroyWindow(1)",
      "grGlideShutdown()",
  };
  std::vector<std::string> glideCalls(platform_->Calls().begin(),
                                      platform_->Calls().begin() + expected.size());
  EXPECT_EQ(glideCalls, expected);
  EXPECT_EQ(platform_->Calls().back(), "UnregisterClass(DSTestClass)");
}

TEST_F(DetectionTest, GlidePixelExtensionsGiveBit14And32BitModes) {
  Detect(LoadProfile("voodoo5.profile"));
  ASSERT_GE(Devices().size(), 1u);
  const DeviceRecord& glide = Devices()[0];
  EXPECT_EQ(ModeList(glide.fModes),
            "1024x768x16 800x600x16 640x480x16 1024x768x32 800x600x32 640x480x32");
  EXPECT_EQ(Bits(glide.fCaps), std::vector<uint32_t>({1, 2, 3, 4, 14}));
  EXPECT_EQ(glide.fMemory, 0x2000000u);
  EXPECT_EQ(glide.fTextureUnits, 2u);
  const std::string log = LogText();
  EXPECT_NE(log.find("   Memory size (in MB): 32 (0x20)\n"
                     "   Memory size (in bytes): 33554432 (0x2000000)\n"
                     "   Device supports 3dfx pixel extensions (must be a Voodoo5)\n"
                     "     Device handles 1024x768 16bpp\n"
                     "     Device handles 800x600 16bpp\n"
                     "     Device handles 640x480 16bpp\n"
                     "     Device handles 1024x768 32bpp\n"
                     "     Device handles 800x600 32bpp\n"
                     "     Device handles 640x480 32bpp\n"),
            std::string::npos)
      << log;
  bool extOpened = false;
  for (const std::string& call : platform_->Calls()) {
    if (call == "grSstWinOpenExt(1, 12, 0, 1, 0, 5, 2, 1) = 2") extOpened = true;
  }
  EXPECT_TRUE(extOpened);
}

TEST_F(DetectionTest, GlideWithoutPixelExtensionsTriesNo32BitWindow) {
  Detect(LoadProfile("voodoo3.profile"));
  ASSERT_GE(Devices().size(), 1u);
  EXPECT_EQ(ModeList(Devices()[0].fModes), "1024x768x16 800x600x16 640x480x16");
  EXPECT_FALSE(Devices()[0].fCaps.Test(kCapAntiAliasing));
  for (const std::string& call : platform_->Calls()) {
    EXPECT_EQ(call.find("grSstWinOpenExt"), std::string::npos) << call;
    EXPECT_EQ(call.find("grGetProcAddress"), std::string::npos) << call;
  }
}

TEST_F(DetectionTest, PixelExtensionsNeedBothTheStringAndTheFunction) {
  struct Case {
    const char* extensions;
    const char* procs;
    bool expected;
  };
  const Case cases[] = {
      {"CHROMARANGE PIXEXT", "grSstWinOpenExt", true},
      {"CHROMARANGE PIXEXT", "grStencilFuncExt", false},
      {"CHROMARANGE", "grSstWinOpenExt", false},
  };
  for (const Case& c : cases) {
    Detect(ParseProfile(std::string("[glide]\nwindows = 640x480\next-windows = 640x480\n") +
                        "extensions = " + c.extensions + "\nprocs = " + c.procs + "\n"));
    ASSERT_EQ(Devices().size(), 1u);
    EXPECT_EQ(Devices()[0].fCaps.Test(kCapAntiAliasing), c.expected) << c.extensions << c.procs;
    EXPECT_EQ(ModeList(Devices()[0].fModes), c.expected ? "640x480x16 640x480x32" : "640x480x16");
  }
}

TEST_F(DetectionTest, Glide32BitModesAreTriedWhenNo16BitWindowOpens) {
  Detect(ParseProfile(
      "[glide]\nextensions = PIXEXT\nprocs = grSstWinOpenExt\next-windows = 800x600\n"));
  ASSERT_EQ(Devices().size(), 1u);
  EXPECT_EQ(ModeList(Devices()[0].fModes), "800x600x32 640x480x32");
}

TEST_F(DetectionTest, GlideBoardWithoutAnyWindowIsNotAdded) {
  Detect(ParseProfile("[glide]\nvendor = 3Dfx\n"));
  EXPECT_TRUE(Devices().empty());
  const std::vector<std::string>& calls = platform_->Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "DestroyWindow(1)"), calls.end());
  EXPECT_EQ(std::find(calls.begin(), calls.end(), "grSstWinClose(1)"), calls.end());
}

TEST_F(DetectionTest, NoGlideBoardMeansNoGlideInit) {
  Detect(ParseProfile("[glide]\nboards = 0\nwindows = 640x480\n"));
  EXPECT_TRUE(Devices().empty());
  for (const std::string& call : platform_->Calls()) EXPECT_NE(call, "grGlideInit()");
}

TEST_F(DetectionTest, ThreeTmusAreLoggedAsThreeAndStoredAsTwo) {
  Detect(LoadProfile("glide-three-tmus.profile"));
  ASSERT_EQ(Devices().size(), 1u);
  EXPECT_EQ(Devices()[0].fTextureUnits, 2u);
  EXPECT_TRUE(LogHasLine("   Number TMUs: 3 (0x3)"));
}

// ---------------------------------------------------------------------------
// The Direct3D stage.

TEST_F(DetectionTest, SecondaryDriverListsOnlyItsHardwareDevices) {
  Detect(LoadProfile("voodoo2-secondary.profile"));
  std::vector<std::string> listed;
  for (const DeviceRecord& record : Devices()) {
    listed.push_back(record.fDriverDescription + " [" + record.fDeviceDescription + "] class " +
                     std::to_string(record.fClass));
  }
  EXPECT_EQ(listed, std::vector<std::string>({
                        "3Dfx Interactive Inc. [Voodoo2] class 0",
                        "Matrox Millennium G200 AGP [RGB Emulation] class 3",
                        "Matrox Millennium G200 AGP [Direct3D HAL] class 4",
                        "Matrox Millennium G200 AGP [MMX Emulation] class 5",
                        "3dfx Voodoo2 PCI [Direct3D HAL] class 8",
                    }));
  // Only the primary driver renders in a window.
  EXPECT_EQ(ModeList(Devices()[2].fModes),
            "0x0x0 640x480x16 640x480x32 800x600x16 800x600x32 1024x768x16 1024x768x32");
  EXPECT_EQ(ModeList(Devices()[4].fModes), "640x480x16 800x600x16 1024x768x16");
  EXPECT_EQ(Devices()[4].fMemory, 8u << 20);
}

TEST_F(DetectionTest, ThreeDfxBoardsAreTaggedByDeviceId) {
  struct Case {
    const char* profile;
    int32_t deviceClass;
    const char* tagLine;
  };
  const Case cases[] = {
      {"voodoo3.profile", kDeviceClass3dfxBeforeV5, "  Tagging device as a non-V5 3dfx card"},
      {"voodoo5.profile", kDeviceClass3dfxV5, "  Tagging device as a 3dfx Voodoo5 or above"},
      {"voodoo5-other-driver.profile", kDeviceClass3dfxV5,
       "  Tagging device as a 3dfx Voodoo5 or above"},
  };
  for (const Case& c : cases) {
    Detect(LoadProfile(c.profile));
    const DeviceRecord& hal = Devices().back();
    EXPECT_EQ(hal.fDeviceDescription, "Direct3D HAL") << c.profile;
    EXPECT_EQ(hal.fClass, c.deviceClass) << c.profile;
    // The tag comes just before the device's own report.
    EXPECT_NE(LogText().find(std::string(c.tagLine) +
                             "\nDeviceSelector detected Direct3D device. Info:\n"
                             "   Driver Description: " +
                             hal.fDriverDescription + "\n"),
              std::string::npos)
        << c.profile;
  }
}

TEST_F(DetectionTest, SoftwareDevicesOf3dfxBoardsAreNotTagged) {
  Detect(LoadProfile("voodoo5.profile"));
  ASSERT_EQ(Devices().size(), 3u);
  EXPECT_EQ(Devices()[1].fDeviceDescription, "RGB Emulation");
  EXPECT_EQ(Devices()[1].fClass, kDeviceClassRgb);
}

TEST_F(DetectionTest, SixteenBitDepthMaskGivesNo32BitModes) {
  Detect(LoadProfile("voodoo3.profile"));
  EXPECT_EQ(ModeList(Devices().back().fModes), "0x0x0 640x480x16 800x600x16 1024x768x16");
}

TEST_F(DetectionTest, Direct3DRecordFieldsAndBits) {
  Detect(LoadProfile("nvidia-tnt-8mb.profile"));
  ASSERT_EQ(Devices().size(), 2u);
  const DeviceRecord& hal = Devices()[1];
  EXPECT_EQ(hal.fVersion, 7u);
  EXPECT_EQ(hal.fType, static_cast<uint32_t>(kDeviceTypeDirect3D));
  EXPECT_EQ(hal.fClass, kDeviceClassHal);
  EXPECT_EQ(hal.fDriverDescription, "NVIDIA RIVA TNT");
  EXPECT_EQ(hal.fDriverName, "nvdd32.dll");
  EXPECT_EQ(hal.fDriverVersion, "4.12.01.1234");
  EXPECT_EQ(hal.fDeviceDescription, "Direct3D HAL");
  EXPECT_EQ(hal.fTextureUnits, 2u);
  // 7 MB for textures, raised by the RIVA TNT tuning.
  EXPECT_EQ(hal.fMemory, 16u << 20);
  // Detected 2 3 4 6 8 9 10 11 15 16; the TNT row clears 15.
  EXPECT_EQ(Bits(hal.fCaps), std::vector<uint32_t>({2, 3, 4, 6, 8, 9, 10, 11, 16}));
  const DeviceRecord& rgb = Devices()[0];
  EXPECT_EQ(rgb.fClass, kDeviceClassRgb);
  EXPECT_EQ(Bits(rgb.fCaps), std::vector<uint32_t>({2, 3, 6, 8, 9}));
}

TEST_F(DetectionTest, EveryRasterCapAndTheTnLBit) {
  Detect(LoadProfile("ati-radeon.profile"));
  const DeviceRecord& tnl = Devices().back();
  EXPECT_EQ(tnl.fClass, kDeviceClassTnLHal);
  // Detected 2..12, 14, 15, 16; the Radeon row clears 5 and 15.
  EXPECT_EQ(Bits(tnl.fCaps), std::vector<uint32_t>({2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 14, 16}));
  EXPECT_EQ(tnl.fTextureUnits, 1u);
}

TEST_F(DetectionTest, VideoMemoryStandsWhenTheTextureQueryFails) {
  Detect(LoadProfile("voodoo-graphics-640.profile"));
  ASSERT_EQ(Devices().size(), 3u);
  EXPECT_EQ(Devices()[1].fMemory, 2u << 20);
  // No windowed rendering on this display driver: no pseudo mode.
  EXPECT_EQ(ModeList(Devices()[1].fModes), "640x480x16 800x600x16");
}

TEST_F(DetectionTest, DeviceNamesKeep39Characters) {
  Detect(
      ParseProfile("[driver]\nprimary = yes\nmodes = 640x480x16\n[device]\n"
                   "name = A Device Name Of Exactly Forty-Two Letters\nguid = hal\ndepths = 16\n"));
  ASSERT_EQ(Devices().size(), 1u);
  EXPECT_EQ(Devices()[0].fDeviceDescription, "A Device Name Of Exactly Forty-Two Lett");
}

TEST_F(DetectionTest, DriversThatCannotBeCreatedAreSkipped) {
  Detect(LoadProfile("no-accelerator.profile"));
  std::vector<std::string> names;
  for (const DeviceRecord& record : Devices()) names.push_back(record.fDeviceDescription);
  EXPECT_EQ(names, std::vector<std::string>({"Ramp Emulation", "RGB Emulation", "MMX Emulation",
                                             "Reference Rasterizer", "Direct3D HAL"}));
  EXPECT_EQ(ModeList(Devices()[4].fModes), "0x0x0");
}

// ---------------------------------------------------------------------------
// Chipset tuning.

TEST(FudgeTableTest, EveryKeyOnce) {
  for (int32_t key = 0; key < 16; ++key) {
    int count = 0;
    for (const FudgeRow& row : FudgeTable) count += row.fKey == key;
    EXPECT_EQ(count, 1) << key;
    ASSERT_NE(FindFudgeRow(key), nullptr);
    EXPECT_EQ(FindFudgeRow(key)->fKey, key);
  }
  EXPECT_EQ(FindFudgeRow(16), nullptr);
}

// Each profile's display driver, tuned from scratch: the case taken and what
// it leaves in the record.
TEST(ApplyFudgeFactorsTest, EveryChipsetCaseFromItsProfile) {
  struct Case {
    const char* profile;
    int chipsetCase;
    const char* logText;
    uint32_t memoryAfter;  // in MB
  };
  const Case cases[] = {
      {"s3-savage4.profile", 1, "   Using fudge factors for a Savage 4 chipset", 14},
      {"s3-savage4-upper-name.profile", 1, "   Using fudge factors for a Savage 4 chipset", 14},
      {"diamond-stealth-iii.profile", 1, "   Using fudge factors for a Savage 4 chipset", 30},
      {"s3-savage2000.profile", 2, "   Using fudge factors for a Savage 2000 chipset", 30},
      {"s3-savage3d.profile", 3, "   Using fudge factors for a Savage3D chipset", 7},
      {"s3-virge.profile", 4, "   Using fudge factors for a generic S3 chipset", 3},
      {"s3xyz-savage.profile", 4, "   Using fudge factors for a generic S3 chipset", 30},
      {"s3xyz-trio.profile", 17, "   Using default fudge factors", 7},
      {"ati-rage128pro.profile", 5, "   Using fudge factors for an ATI Rage 128 Pro chipset", 30},
      {"ati-all-in-wonder128.profile", 5, "   Using fudge factors for an ATI Rage 128 Pro chipset",
       14},
      {"ati-rage-fury-maxx.profile", 6, "   Using fudge factors for an ATI Rage Fury MAXX chipset",
       60},
      {"ati-radeon.profile", 7, "   Using fudge factors for ATI Radeon chipset", 30},
      {"ati-rage-pro.profile", 8, "   Using fudge factors for a generic ATI chipset", 7},
      {"matrox-g400.profile", 9, "   Using fudge factors for a Matrox Millenium G400 chipset", 30},
      {"matrox-g200.profile", 10, "   Using fudge factors for a generic Matrox chipset", 7},
      {"nvidia-tnt-8mb.profile", 11, "   Using fudge factors for an NVidia RIVA TNT chipset", 16},
      {"nvidia-tnt-32mb.profile", 11, "   Using fudge factors for an NVidia RIVA TNT chipset", 30},
      {"intel-i810.profile", 12, "   Using fudge factors for an Intel i810 chipset", 4},
      {"kyro.profile", 13, "   Using fudge factors for a KYRO chipset", 30},
      {"voodoo5.profile", 14, "   Using fudge factors for a 3dfx Voodoo5 chipset", 28},
      {"nvidia-geforce.profile", 15, "   Using fudge factors for an NVidia GeForce-based chipset",
       30},
      {"nvidia-tnt2-8mb.profile", 16,
       "   NVidia TNT-based card detected. Fudging memory reading to 16MB", 16},
      {"nvidia-tnt2-32mb.profile", 17, "   Using default fudge factors", 30},
      {"voodoo5-other-driver.profile", 17, "   Using default fudge factors", 28},
      {"voodoo3.profile", 17, "   Using default fudge factors", 12},
  };
  bool seen[18] = {};
  for (const Case& c : cases) {
    HardwareProfile profile = LoadProfile(c.profile);
    ASSERT_FALSE(profile.fDrivers.empty()) << c.profile;
    const DriverProfile& driver = profile.fDrivers[0];
    DeviceRecord record;
    record.fType = kDeviceTypeDirect3D;
    record.fMemory = driver.fTextureMemory;
    std::string path = TempPath("debug_info.dat");
    {
      DebugInfoLog log(path);
      log.Enable();
      TraceCapture capture;
      EXPECT_EQ(ApplyFudgeFactors(record, driver.fIdentifier, log), c.chipsetCase) << c.profile;
      std::string trace = capture.Take();
      EXPECT_EQ(trace.substr(0, trace.find('\n') + 1), "== " + std::string(c.logText + 3) + " ==\n")
          << c.profile;
    }
    EXPECT_NE(ReadFile(path).find(std::string("\n") + c.logText + "\n"), std::string::npos)
        << c.profile;
    EXPECT_EQ(record.fMemory, c.memoryAfter << 20) << c.profile;
    seen[c.chipsetCase] = true;
  }
  for (int n = 1; n <= 17; ++n) EXPECT_TRUE(seen[n]) << "case " << n << " has no profile";
}

// The identifier of a device and what each test of the cases looks at.
DeviceIdentifier Identifier(uint32_t vendor, uint32_t device, const char* driver,
                            const char* description) {
  DeviceIdentifier identifier;
  identifier.fVendorId = vendor;
  identifier.fDeviceId = device;
  identifier.fDriver = driver;
  identifier.fDescription = description;
  return identifier;
}

int CaseOf(const DeviceIdentifier& identifier, uint32_t memory = 32u << 20) {
  DeviceRecord record;
  record.fMemory = memory;
  DebugInfoLog log("unused");  // disabled: writes nothing
  TraceCapture capture;
  int chipsetCase = ApplyFudgeFactors(record, identifier, log);
  capture.Take();
  return chipsetCase;
}

TEST(ApplyFudgeFactorsTest, HowNamesAndDescriptionsAreCompared) {
  // Whole names compare in any case; prefixes keep their case.
  EXPECT_EQ(CaseOf(Identifier(0, 0, "S3SAVG4.DLL", "Graphics")), 1);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "s3savg4.dll.old", "Graphics")), 4);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "S3xyz.dll", "Graphics")), 17);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "s3xyz.dll", "Graphics")), 4);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "S3xyz.dll", "Pro SAVAGE")), 4);
  // Descriptions are lower-cased before the substring tests.
  EXPECT_EQ(CaseOf(Identifier(0, 0, "x.dll", "DIAMOND STEALTH III S540")), 1);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "x.dll", "Diamond Stealth II")), 17);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "x.dll", "Savage4 Pro")), 1);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "x.dll", "Savage4")), 4);  // "savage4 " needs the blank
  EXPECT_EQ(CaseOf(Identifier(0, 0, "x.dll", "Diamond Viper V770")), 17);
  EXPECT_EQ(CaseOf(Identifier(0, 0, "x.dll", "Diamond ViperII Z200")), 2);
  // Device ids are tested without the vendor, except for the Voodoo5.
  EXPECT_EQ(CaseOf(Identifier(0x1234, 0x8A22, "x.dll", "Other")), 1);
  EXPECT_EQ(CaseOf(Identifier(0x1234, 9, "3dfxvs.dll", "Voodoo5")), 17);
  EXPECT_EQ(CaseOf(Identifier(0x121A, 9, "3DFXVS.DLL", "Voodoo5")), 14);
  EXPECT_EQ(CaseOf(Identifier(0x121A, 10, "3dfxvs.dll", "Voodoo5")), 17);
  // The RIVA TNT and the Radeon need their device id.
  EXPECT_EQ(CaseOf(Identifier(0x10DE, 0x28, "nvdd32.dll", "NVIDIA RIVA TNT2")), 17);
  EXPECT_EQ(CaseOf(Identifier(0x10DE, 0x28, "nvdd32.dll", "NVIDIA RIVA TNT2"), 8u << 20), 16);
  EXPECT_EQ(CaseOf(Identifier(0x1002, 0x5159, "ati2dvag.dll", "RADEON VE")), 8);
  EXPECT_EQ(CaseOf(Identifier(0x1002, 0x5159, "radeon.dll", "RADEON VE")), 17);
  EXPECT_EQ(CaseOf(Identifier(0x1002, 0x5144, "radeon.dll", "RADEON 7200")), 7);
  // Exactly 16 MB is not below 16 MB.
  EXPECT_EQ(CaseOf(Identifier(0x10DE, 0x28, "nv4.dll", "TNT2"), 16u << 20), 17);
  EXPECT_EQ(CaseOf(Identifier(0x10DE, 0x28, "nv4.dll", "TNT2"), (16u << 20) - 1), 16);
}

TEST(ApplyFudgeFactorsTest, RadeonRow) {
  DeviceRecord record;
  record.fType = kDeviceTypeDirect3D;
  record.fTextureUnits = 3;
  record.fMemory = 32u << 20;
  for (uint32_t bit : {2u, 5u, 6u, 9u, 14u, 15u, 16u}) record.fCaps.Set(bit);
  DebugInfoLog log("unused");
  TraceCapture capture;
  EXPECT_EQ(ApplyFudgeFactors(record, Identifier(0x1002, 0x5144, "ati2dvag.dll", "RADEON"), log),
            7);
  EXPECT_EQ(capture.Take(), "== Using fudge factors for ATI Radeon chipset ==\n");
  EXPECT_EQ(Bits(record.fCaps), std::vector<uint32_t>({2, 6, 9, 14, 16}));
  EXPECT_EQ(record.fTextureUnits, 1u);
  EXPECT_EQ(record.fMemory, 32u << 20);
  const float expected[9] = {2.25f, 0.0f, 0.0f, 0.0f, 0.996078432f, 0.7f, 0.15f, 0.5f, 0.2f};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(record.fFudge[i], expected[i]) << i;
}

TEST(ApplyFudgeFactorsTest, RowsSetClearAndKeep) {
  struct Case {
    int32_t key;
    std::vector<uint32_t> bitsAfter;  // from bits 5 6 10 11 15 16
    uint32_t textureUnits;            // from 2
    float fudge[9];
  };
  const Case cases[] = {
      {0, {5, 6, 10, 11, 16}, 2, {0, 0, 0, 0, 0.996078432f, 0.5f, 0.15f, 0.5f, 0.15f}},
      {2, {5, 6, 15}, 1, {4.25f, 0, 0.1f, 0.1f, 0.996078432f, 0.85f, 0.15f, 0.5f, 0.15f}},
      {5, {5, 6, 10, 11, 15, 16}, 2, {0, 0, 0, 0, 0.996078432f, 0.5f, 0.15f, 0.5f, 0.15f}},
      {7, {5, 6, 10, 11, 16}, 1, {4.5f, -0.5f, 0, 0, 0.996078432f, 0.6f, 0.15f, 0.4f, 0.15f}},
      {8, {5, 17}, 1, {4.0f, 0, 0, 0, 0.996078432f, 0.5f, 0.15f, 0.5f, 0.15f}},
      {12, {5, 6, 10, 11, 18}, 1, {-151.0f, 0, 0, 0, 0.996078432f, 0.5f, 0.15f, 0.5f, 0.15f}},
      {13, {5, 6, 15, 16}, 2, {3.5f, 0, 0, 0, 0.996078432f, 0.5f, 0.15f, 0.5f, 0.15f}},
      {14, {5, 6, 10, 11, 16}, 2, {0, 0, 0, 0, 0.996078432f, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    DeviceRecord record;
    record.fTextureUnits = 2;
    for (uint32_t bit : {5u, 6u, 10u, 11u, 15u, 16u}) record.fCaps.Set(bit);
    ApplyFudgeRow(*FindFudgeRow(c.key), record);
    EXPECT_EQ(Bits(record.fCaps), c.bitsAfter) << c.key;
    EXPECT_EQ(record.fTextureUnits, c.textureUnits) << c.key;
    for (int i = 0; i < 9; ++i) EXPECT_EQ(record.fFudge[i], c.fudge[i]) << c.key << " f" << i;
  }
}

TEST(ApplyFudgeFactorsTest, RivaTntMemory) {
  struct Case {
    uint32_t memory;
    uint32_t memoryAfter;
    const char* trace;
  };
  const Case cases[] = {
      {8u << 20, 16u << 20,
       "== Using fudge factors for an NVidia RIVA TNT chipset ==\n"
       "== (also fudging memory up to 16MB) ==\n"},
      {32u << 20, 32u << 20, "== Using fudge factors for an NVidia RIVA TNT chipset ==\n"},
  };
  for (const Case& c : cases) {
    DeviceRecord record;
    record.fMemory = c.memory;
    record.fTextureUnits = 2;
    std::string path = TempPath("debug_info.dat");
    {
      DebugInfoLog log(path);
      log.Enable();
      TraceCapture capture;
      EXPECT_EQ(ApplyFudgeFactors(record, Identifier(0x10DE, 0x20, "nvdd32.dll", "RIVA"), log), 11);
      EXPECT_EQ(capture.Take(), c.trace);
    }
    EXPECT_EQ(record.fMemory, c.memoryAfter);
    EXPECT_EQ(record.fFudge[4], 0.996078432f);
    bool noted =
        ReadFile(path).find("\n   (also fudging memory up to 16MB)\n") != std::string::npos;
    EXPECT_EQ(noted, c.memory != c.memoryAfter);
  }
}

TEST(ApplyFudgeFactorsTest, TntWithLittleMemoryKeepsItsDetectedValues) {
  DeviceRecord record;
  record.fMemory = 8u << 20;
  record.fTextureUnits = 2;
  record.fCaps.Set(15);
  DebugInfoLog log("unused");
  TraceCapture capture;
  EXPECT_EQ(ApplyFudgeFactors(record, Identifier(0x10DE, 0x2D, "nv4.dll", "NVIDIA TNT2 M64"), log),
            16);
  EXPECT_EQ(capture.Take(),
            "== NVidia TNT-based card detected. Fudging memory reading to 16MB ==\n");
  EXPECT_EQ(record.fMemory, 16u << 20);
  EXPECT_EQ(record.fTextureUnits, 2u);
  EXPECT_TRUE(record.fCaps.Test(15));
  for (float f : record.fFudge) EXPECT_EQ(f, 0.0f);
}

// ---------------------------------------------------------------------------
// Removal, the mode order after it, and the default pick.

TEST_F(DetectionTest, RemovalKeepsHardwareAndReferenceDevices) {
  Detect(LoadProfile("no-accelerator.profile"));
  selector_->RemoveUnusable();
  ASSERT_EQ(Devices().size(), 1u);
  EXPECT_EQ(Devices()[0].fDeviceDescription, "Reference Rasterizer");
  EXPECT_EQ(ModeList(Devices()[0].fModes), "640x480x16 800x600x16 800x600x32");
  DeviceRecord record;
  DisplayMode mode;
  EXPECT_FALSE(selector_->PickDefault(&record, &mode));

  std::string log = LogText();
  size_t removal = log.find("Removing unusable devices and modes...\n");
  ASSERT_NE(removal, std::string::npos);
  const char* d = "Cirrus Logic 5446 PCI";
  std::string expected =
      std::string("Removing unusable devices and modes...\n") +
      "   Removing windowed mode on : " + d + "\n" + "   Keeping mode (640x480) on device " + d +
      "\n" + "   Keeping mode (800x600) on device " + d + "\n" +
      "   Keeping mode (800x600) on device " + d + "\n" +
      "   Removing software Direct3D device. Description: " + d + "\n" +
      "   Removing windowed mode on : " + d + "\n" + "   Keeping mode (640x480) on device " + d +
      "\n" + "   Keeping mode (800x600) on device " + d + "\n" +
      "   Keeping mode (800x600) on device " + d + "\n" +
      "   Removing software Direct3D device. Description: " + d + "\n" +
      "   Removing windowed mode on : " + d + "\n" + "   Keeping mode (640x480) on device " + d +
      "\n" + "   Keeping mode (800x600) on device " + d + "\n" +
      "   Keeping mode (800x600) on device " + d + "\n" +
      "   Removing software Direct3D device. Description: " + d + "\n" +
      "   Removing windowed mode on : " + d + "\n" + "   Keeping mode (640x480) on device " + d +
      "\n" + "   Keeping mode (800x600) on device " + d + "\n" +
      "   Keeping mode (800x600) on device " + d + "\n" + "   Keeping Direct3D device: " + d +
      "\n" + "   Removing windowed mode on : " + d + "\n" + "   Keeping Direct3D device: " + d +
      "\n" + "--- End of Demo Debug Info File ---\n\n";
  EXPECT_EQ(log.substr(removal), expected);
}

TEST(RemoveUnusableTest, ByTypeAndClass) {
  struct Case {
    uint32_t type;
    int32_t deviceClass;
    bool kept;
    const char* logLine;
  };
  const Case cases[] = {
      {kDeviceTypeUnknown, 4, false, "   Removing unknown device. Description: D"},
      {kDeviceTypeGlide, 0, true, "   Keeping device: D"},
      {kDeviceTypeOther, 0, true, "   Keeping device: D"},
      {kDeviceTypeDX8Direct3D, 6, true, "   Keeping DX8 Direct3D device: D"},
      {kDeviceTypeDX8Direct3D, 3, false, "   Removing software Direct3D device. Description: D"},
  };
  for (int32_t deviceClass = 0; deviceClass <= 10; ++deviceClass) {
    bool kept = deviceClass == 4 || deviceClass == 6 || deviceClass == 7 || deviceClass == 8 ||
                deviceClass == 9;
    std::string path = TempPath("debug_info.dat");
    ProfilePlatform platform{HardwareProfile()};
    DebugInfoLog log(path);
    log.Enable();
    DeviceSelector selector(platform, log);
    DeviceRecord record;
    record.fType = kDeviceTypeDirect3D;
    record.fClass = deviceClass;
    record.fDriverDescription = "D";
    record.AddMode(640, 480, 16);
    selector.MutableDevices().push_back(record);
    selector.RemoveUnusable();
    EXPECT_EQ(selector.Devices().size(), kept ? 1u : 0u) << deviceClass;
    log.Close();
    EXPECT_NE(
        ReadFile(path).find(kept ? "\n   Keeping Direct3D device: D\n"
                                 : "\n   Removing software Direct3D device. Description: D\n"),
        std::string::npos)
        << deviceClass;
  }
  for (const Case& c : cases) {
    std::string path = TempPath("debug_info.dat");
    ProfilePlatform platform{HardwareProfile()};
    DebugInfoLog log(path);
    log.Enable();
    DeviceSelector selector(platform, log);
    DeviceRecord record;
    record.fType = c.type;
    record.fClass = c.deviceClass;
    record.fDriverDescription = "D";
    record.AddMode(640, 480, 16);
    selector.MutableDevices().push_back(record);
    selector.RemoveUnusable();
    EXPECT_EQ(selector.Devices().size(), c.kept ? 1u : 0u) << c.type;
    log.Close();
    EXPECT_NE(ReadFile(path).find(std::string("\n") + c.logLine + "\n"), std::string::npos)
        << c.type;
  }
}

TEST_F(DetectionTest, RemovalAndOrderOnAMachineWithTwoBoards) {
  Detect(LoadProfile("voodoo2-secondary.profile"));
  selector_->RemoveUnusable();
  selector_->SortAllModes();
  std::vector<std::string> kept;
  for (const DeviceRecord& record : Devices()) {
    kept.push_back(record.fDeviceDescription + ": " + ModeList(record.fModes));
  }
  EXPECT_EQ(kept, std::vector<std::string>({
                      "Voodoo2: 640x480x16 800x600x16 1024x768x16",
                      "Direct3D HAL: 640x480x16 800x600x16 1024x768x16 640x480x32 800x600x32 "
                      "1024x768x32",
                      "Direct3D HAL: 640x480x16 800x600x16 1024x768x16",
                  }));
}

TEST_F(DetectionTest, ModesListedOutOfOrderAreSorted) {
  Detect(LoadProfile("nvidia-geforce.profile"));
  EXPECT_EQ(ModeList(Devices().back().fModes),
            "0x0x0 800x600x32 1024x768x16 640x480x16 640x480x32 800x600x16 1024x768x32");
  selector_->RemoveUnusable();
  selector_->SortAllModes();
  ASSERT_EQ(Devices().size(), 1u);
  EXPECT_EQ(ModeList(Devices()[0].fModes),
            "640x480x16 800x600x16 1024x768x16 640x480x32 800x600x32 1024x768x32");
}

struct PickCase {
  const char* name;
  std::vector<std::pair<uint32_t, int32_t>> devices;  // type and class, in order
  int expectedIndex;                                  // -1: no pick
};

TEST(PickDefaultTest, RankingOfDevices) {
  const PickCase cases[] = {
      {"T&L HAL before Glide", {{1, 0}, {2, 4}, {2, 6}}, 2},
      {"Glide before HAL", {{2, 4}, {1, 0}}, 1},
      {"HAL before type 3", {{3, 0}, {2, 4}}, 1},
      {"type 3 last", {{3, 0}, {2, 7}}, 0},
      {"last of a kind", {{2, 6}, {2, 4}, {4, 6}}, 2},
      {"DX8 HAL counts", {{4, 4}}, 0},
      {"3dfx classes are not picked", {{2, 8}, {2, 9}, {2, 7}}, -1},
      {"nothing", {}, -1},
  };
  for (const PickCase& c : cases) {
    ProfilePlatform platform{HardwareProfile()};
    DebugInfoLog log("unused");
    DeviceSelector selector(platform, log);
    int index = 0;
    for (auto [type, deviceClass] : c.devices) {
      DeviceRecord record;
      record.fType = type;
      record.fClass = deviceClass;
      record.fDriverDescription = std::to_string(index++);
      record.AddMode(640, 480, 16);
      selector.MutableDevices().push_back(record);
    }
    DeviceRecord picked;
    DisplayMode mode;
    bool found = selector.PickDefault(&picked, &mode);
    EXPECT_EQ(found, c.expectedIndex >= 0) << c.name;
    if (found) {
      EXPECT_EQ(picked.fDriverDescription, std::to_string(c.expectedIndex)) << c.name;
    }
  }
}

TEST(PickDefaultTest, ModeChoice) {
  struct Case {
    std::vector<DisplayMode> modes;
    const char* expected;
  };
  const Case cases[] = {
      {{{0, 800, 600, 16}, {0, 800, 600, 32}}, "800x600x16"},
      {{{0, 800, 600, 24}, {0, 800, 600, 32}}, "800x600x32"},
      {{{0, 800, 600, 32}, {0, 800, 600, 16}, {0, 800, 600, 24}}, "800x600x16"},
      {{{0, 1024, 768, 16}, {0, 640, 480, 16}}, "1024x768x16"},
  };
  for (const Case& c : cases) {
    ProfilePlatform platform{HardwareProfile()};
    DebugInfoLog log("unused");
    DeviceSelector selector(platform, log);
    DeviceRecord record;
    record.fType = kDeviceTypeGlide;
    record.fModes = c.modes;
    selector.MutableDevices().push_back(record);
    DeviceRecord picked;
    DisplayMode mode;
    ASSERT_TRUE(selector.PickDefault(&picked, &mode));
    EXPECT_EQ(ModeList({mode}), c.expected);
  }
  ProfilePlatform platform{HardwareProfile()};
  DebugInfoLog log("unused");
  DeviceSelector selector(platform, log);
  DeviceRecord noModes;
  noModes.fType = kDeviceTypeGlide;
  selector.MutableDevices().push_back(noModes);
  DeviceRecord picked;
  DisplayMode mode;
  EXPECT_FALSE(selector.PickDefault(&picked, &mode));
}

// ---------------------------------------------------------------------------
// The whole log of one detection.

TEST_F(DetectionTest, DetectionLogOfAMachineWithTwoBoards) {
  Detect(LoadProfile("voodoo2-secondary.profile"));
  selector_->RemoveUnusable();
  EXPECT_EQ(LogText(), ReadFile(setuptest::TestDataPath("voodoo2-secondary.debug_info.dat")));
  // The trace says each board's decision once, however many Direct3D
  // devices the board has; the log above has it for every device.
  EXPECT_EQ(trace_,
            "== Using fudge factors for a generic Matrox chipset ==\n"
            "== Using default fudge factors ==\n");
}

}  // namespace
