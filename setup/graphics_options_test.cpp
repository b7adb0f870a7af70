#include "setup/graphics_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "setup/platform_profile.h"
#include "kit/testing/byte_stream.h"
#include "setup/test_support.h"

namespace {

using setuptest::LoadProfile;
using setuptest::ParseProfile;
using setuptest::ReadFile;
using setuptest::TempPath;
using setuptest::WriteFile;

std::string ModeText(const DisplayMode& mode) {
  return std::to_string(mode.fWidth) + "x" + std::to_string(mode.fHeight) + "x" +
         std::to_string(mode.fDepth);
}

// A game directory with an init directory, and a machine described by a
// profile; Run detects on it as the setup program does.
class ChoiceTest : public ::testing::Test {
 protected:
  ChoiceTest() : game_(TempPath("game")), log_(game_ + "/debug_info.dat") {
    std::filesystem::remove_all(game_);
    std::filesystem::create_directories(game_ + "/init");
  }

  GraphicsOptions& Run(HardwareProfile profile) {
    options_.reset();
    platform_ = std::make_unique<ProfilePlatform>(std::move(profile));
    options_ = std::make_unique<GraphicsOptions>(*platform_, log_, game_);
    TraceCapture capture;  // the tuning traces
    options_->Detect();
    capture.Take();
    return *options_;
  }

  std::string SelectedModeText() const {
    return ModeText(options_->SelectedRecord().fModes[size_t(options_->SelectedMode())]);
  }

  std::string DevModeFile() const { return game_ + "/init/dev_mode.dat"; }

  std::string game_;
  DebugInfoLog log_;
  std::unique_ptr<ProfilePlatform> platform_;
  std::unique_ptr<GraphicsOptions> options_;
};

// One Direct3D driver; `modes` and `depths` and `version` vary.
std::string Direct3DMachine(const std::string& modes, const std::string& depths,
                            const std::string& version = "4.12.1.1234",
                            const std::string& memory = "128MB") {
  return "[system]\nmemory = " + memory +
         "\n[driver]\nprimary = yes\ncaps2 = CANRENDERWINDOWED\nvideo-memory = 32MB\n"
         "id-driver = nv4.dll\nid-description = NVIDIA GeForce 256\nid-vendor = 0x10DE\n"
         "id-device = 0x100\nid-version = " +
         version + "\nmodes = " + modes +
         "\n[device]\nname = Direct3D T&L HAL\nguid = tnlhal\ndevcaps = HWRASTERIZATION\n"
         "rastercaps = ANTIALIASSORTINDEPENDENT\ndepths = " +
         depths + "\n";
}

const char* kAllModes = "640x480x16 640x480x32 800x600x16 800x600x32 1024x768x16 1024x768x32";

// ---------------------------------------------------------------------------
// The file layout.

DeviceRecord SampleRecord() {
  DeviceRecord record;
  record.fType = kDeviceTypeDirect3D;
  record.fClass = kDeviceClassTnLHal;
  record.fDriverDescription = "Drv";
  record.fDriverName = "n.dll";
  record.fDriverVersion = "";
  record.fDeviceDescription = "HAL";
  record.fCaps.Set(6);
  record.fCaps.Set(14);
  record.fCaps.Set(33);
  record.fTextureUnits = 2;
  record.fMemory = 0x01000000;
  record.fFudge[0] = 2.25f;
  record.fFudge[1] = -0.5f;
  return record;
}

TEST(DevModeFileTest, ExactBytes) {
  mktest::ByteStream stream;
  WriteDeviceChoice(stream, SampleRecord(), DisplayMode{0, 800, 600, 0}, 25);
  const std::vector<uint8_t> expected = {
      7,    0,    0,    0,                                           // version
      0,    0,    0,    0,                                           // flags
      2,    0,    0,    0,                                           // type
      3,    0,    0,    0,    'D',  'r', 'v',                        // driver description
      5,    0,    0,    0,    'n',  '.', 'd', 'l', 'l', 0, 0, 0, 0,  // driver version, empty
      3,    0,    0,    0,    'H',  'A', 'L',                        // device description
      2,    0,    0,    0,                                           // capability words
      0x40, 0x40, 0,    0,    2,    0,   0,   0,   2,   0, 0, 0,     // texture units
      0,    0,    0,    1,                                           // memory
      0,    0,    0,    0,                                           // mode count
      0,    0,    0x10, 0x40,                                        // f0 2.25
      0,    0,    0,    0xBF,                                        // f1 -0.5
      0,    0,    0,    0,    0,    0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0,
      0,    0,    0,    0,    0,    0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0,  // chosen mode: flags
      0x20, 3,    0,    0,    0x58, 2,   0,   0,                              // 800, 600
      0,    0,    0,    0,                                                    // depth 0: windowed
      25,   0,                                                                // texture quality
  };
  EXPECT_EQ(stream.bytes, expected);
}

TEST(DevModeFileTest, ReadBackGivesTheSameRecordWithClass0) {
  mktest::ByteStream stream;
  DeviceRecord written = SampleRecord();
  written.AddMode(640, 480, 16);
  WriteDeviceChoice(stream, written, DisplayMode{1, 1024, 768, 32}, 100);
  DeviceRecord record;
  DisplayMode mode;
  uint16_t quality = 0;
  ASSERT_EQ(ReadDeviceChoice(stream, &record, &mode, &quality), DevModeReadResult::kOk);
  EXPECT_EQ(record.fClass, 0);
  written.fClass = 0;
  EXPECT_EQ(record.fVersion, written.fVersion);
  EXPECT_EQ(record.fFlags, written.fFlags);
  EXPECT_EQ(record.fType, written.fType);
  EXPECT_EQ(record.fDriverDescription, written.fDriverDescription);
  EXPECT_EQ(record.fDriverName, written.fDriverName);
  EXPECT_EQ(record.fDriverVersion, written.fDriverVersion);
  EXPECT_EQ(record.fDeviceDescription, written.fDeviceDescription);
  EXPECT_EQ(record.fCaps, written.fCaps);
  EXPECT_EQ(record.fTextureUnits, written.fTextureUnits);
  EXPECT_EQ(record.fMemory, written.fMemory);
  EXPECT_EQ(record.fModes, written.fModes);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(record.fFudge[i], written.fFudge[i]);
  EXPECT_EQ(mode, (DisplayMode{1, 1024, 768, 32}));
  EXPECT_EQ(quality, 100);
}

// Every way a file can be broken, each rejected without reading past its end
// or allocating what its lengths claim.
TEST(DevModeFileTest, CorruptFilesFailCleanly) {
  mktest::ByteStream good;
  DeviceRecord record = SampleRecord();
  record.AddMode(640, 480, 16);
  WriteDeviceChoice(good, record, DisplayMode{0, 640, 480, 16}, 25);
  const std::vector<uint8_t> bytes = good.bytes;

  for (size_t size = 0; size < bytes.size(); ++size) {
    mktest::ByteStream cut;
    cut.bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    DeviceRecord out;
    DisplayMode mode;
    uint16_t quality = 7;
    EXPECT_EQ(ReadDeviceChoice(cut, &out, &mode, &quality), DevModeReadResult::kTruncated) << size;
    EXPECT_EQ(quality, 7) << size;
  }

  auto patched = [&](size_t offset, uint32_t value) {
    mktest::ByteStream stream;
    stream.bytes = bytes;
    for (int i = 0; i < 4; ++i) stream.bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
    DeviceRecord out;
    DisplayMode mode;
    uint16_t quality = 0;
    return ReadDeviceChoice(stream, &out, &mode, &quality);
  };
  // Offsets: 12 driver description length, 19 driver name length, 28 version
  // length, 32 device description length, 39 word count, 51 texture units,
  // 59 mode count.
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
    DevModeReadResult expected;
  };
  const Case cases[] = {
      {"string length 0xFFFFFFFF", 12, 0xFFFFFFFF, DevModeReadResult::kTooLarge},
      {"string length 1025", 19, 1025, DevModeReadResult::kTooLarge},
      {"string length 1024 past the end", 28, 1024, DevModeReadResult::kTruncated},
      {"string length past the end", 32, 200, DevModeReadResult::kTruncated},
      {"word count 0x80000000", 39, 0x80000000, DevModeReadResult::kTooLarge},
      {"word count 65", 39, 65, DevModeReadResult::kTooLarge},
      {"word count 64 past the end", 39, 64, DevModeReadResult::kTruncated},
      {"mode count 0xFFFFFFFF", 59, 0xFFFFFFFF, DevModeReadResult::kTooLarge},
      {"mode count 65536", 59, 65536, DevModeReadResult::kTooLarge},
      {"mode count 65535 past the end", 59, 65535, DevModeReadResult::kTruncated},
      {"version 6", 0, 6, DevModeReadResult::kWrongVersion},
      {"version 8", 0, 8, DevModeReadResult::kWrongVersion},
      {"version 0x07000000", 0, 0x07000000, DevModeReadResult::kWrongVersion},
      {"texture units anything", 51, 0xFFFFFFFF, DevModeReadResult::kOk},
  };
  for (const Case& c : cases) EXPECT_EQ(patched(c.offset, c.value), c.expected) << c.what;

  mktest::ByteStream wrong;
  wrong.bytes = bytes;
  wrong.bytes[0] = 6;
  DeviceRecord out;
  DisplayMode mode;
  uint16_t quality = 0;
  ASSERT_EQ(ReadDeviceChoice(wrong, &out, &mode, &quality), DevModeReadResult::kWrongVersion);
  EXPECT_EQ(out.fVersion, 6u);
  EXPECT_EQ(out.fFlags, DeviceRecord::kInvalid);
}

TEST(DevModeFileTest, PathUnderTheGameDirectory) {
  EXPECT_EQ(DevModePath(""), "init/dev_mode.dat");
  EXPECT_EQ(DevModePath("game"), "game/init/dev_mode.dat");
  EXPECT_EQ(DevModePath("game/"), "game/init/dev_mode.dat");
}

// ---------------------------------------------------------------------------
// Selection.

TEST_F(ChoiceTest, SelectionAndItsQueries) {
  GraphicsOptions& options = Run(LoadProfile("voodoo5.profile"));
  EXPECT_TRUE(options.HasType(kDeviceTypeGlide));
  EXPECT_TRUE(options.HasType(kDeviceTypeDirect3D));
  EXPECT_FALSE(options.HasType(kDeviceTypeDX8Direct3D));
  EXPECT_FALSE(options.AntiAliasingOn());
  EXPECT_FALSE(options.WindowedAllowed());

  options.SelectApi(kDeviceTypeGlide);
  ASSERT_TRUE(options.SelectDevice(0));
  EXPECT_EQ(options.DeviceLabels(),
            std::vector<std::string>({"3Dfx Interactive Inc. [Voodoo5 (tm)]"}));
  EXPECT_EQ(options.ModeLabels(),
            std::vector<std::string>({"640x480 16 bit", "800x600 16 bit", "1024x768 16 bit",
                                      "640x480 32 bit", "800x600 32 bit", "1024x768 32 bit"}));
  EXPECT_TRUE(options.AntiAliasingSupported());
  EXPECT_TRUE(options.AntiAliasingOn());  // a fresh copy of the record
  EXPECT_FALSE(options.WindowedAllowed());
  EXPECT_FALSE(options.CompressedTexturesSupported());
  EXPECT_FALSE(options.SelectDevice(1));
  EXPECT_FALSE(options.SelectDevice(-1));
  EXPECT_FALSE(options.SelectMode(6));
  EXPECT_FALSE(options.SelectMode(-1));
  EXPECT_EQ(options.SelectedMode(), 0);
  ASSERT_TRUE(options.SelectMode(4));
  options.SetAntiAliasing(false);
  EXPECT_FALSE(options.AntiAliasingOn());
  EXPECT_TRUE(options.AntiAliasingSupported());

  options.SelectApi(kDeviceTypeDirect3D);
  ASSERT_TRUE(options.SelectDevice(0));
  EXPECT_EQ(options.DeviceLabels(),
            std::vector<std::string>({"3dfx Voodoo5 5500 AGP [Direct3D HAL]"}));
  EXPECT_EQ(options.SelectedMode(), 0);
  EXPECT_TRUE(options.WindowedAllowed());
  EXPECT_TRUE(options.CompressedTexturesSupported());
  EXPECT_TRUE(options.CompressedTexturesOn());
  ASSERT_TRUE(options.SelectMode(1));
  options.SetWindowed(true);
  EXPECT_TRUE(options.WindowedOn());
  EXPECT_EQ(SelectedModeText(), "800x600x0");
  EXPECT_EQ(options.TypeList()[0].fModes[1].fDepth, 16u);
  options.SetWindowed(false);
  EXPECT_EQ(SelectedModeText(), "800x600x16");
  options.SetCompressedTextures(false);
  EXPECT_FALSE(options.CompressedTexturesOn());
  EXPECT_TRUE(options.CompressedTexturesSupported());
  // Choosing the device again forgets the choices.
  ASSERT_TRUE(options.SelectDevice(0));
  EXPECT_TRUE(options.CompressedTexturesOn());
}

TEST_F(ChoiceTest, OnlyTheSelectedModeCanBeWindowed) {
  Run(ParseProfile(Direct3DMachine(kAllModes, "16 32")));
  ASSERT_TRUE(options_->ChooseDefault());
  ASSERT_TRUE(options_->SelectMode(0));
  options_->SetWindowed(true);  // Windowed checked on 640x480
  ASSERT_TRUE(options_->SelectMode(2));
  options_->SetWindowed(true);           // still checked on 1024x768
  options_->SetWindowed(false);          // unchecked
  ASSERT_TRUE(options_->SelectMode(0));  // back to 640x480, box unchecked
  EXPECT_FALSE(options_->WindowedOn());
  EXPECT_EQ(SelectedModeText(), "640x480x16");
}

// ---------------------------------------------------------------------------
// The default choice.

TEST_F(ChoiceTest, DefaultRanking) {
  struct Case {
    const char* profile;
    uint32_t type;
    const char* label;
    const char* mode;
  };
  const Case cases[] = {
      {"geforce-voodoo2.profile", kDeviceTypeDirect3D, "NVIDIA GeForce 256 [Direct3D T&L HAL]",
       "800x600x16"},
      {"voodoo2-secondary.profile", kDeviceTypeGlide, "3Dfx Interactive Inc. [Voodoo2]",
       "800x600x16"},
      {"matrox-g400.profile", kDeviceTypeDirect3D, "Matrox Millennium G400 DualHead [Direct3D HAL]",
       "800x600x16"},
      {"voodoo-graphics-640.profile", kDeviceTypeGlide, "3Dfx Interactive Inc. [Voodoo Graphics]",
       "640x480x16"},
  };
  for (const Case& c : cases) {
    GraphicsOptions& options = Run(LoadProfile(c.profile));
    ASSERT_TRUE(options.ChooseDefault()) << c.profile;
    EXPECT_EQ(options.CurrentType(), c.type) << c.profile;
    EXPECT_EQ(options.DeviceLabels()[size_t(options.SelectedDevice())], c.label) << c.profile;
    EXPECT_EQ(SelectedModeText(), c.mode) << c.profile;
    EXPECT_FALSE(options.AntiAliasingOn()) << c.profile;
  }
}

TEST_F(ChoiceTest, DefaultDepthAt800x600) {
  GraphicsOptions& options = Run(ParseProfile(Direct3DMachine("800x600x24 800x600x32", "24 32")));
  ASSERT_TRUE(options.ChooseDefault());
  EXPECT_EQ(SelectedModeText(), "800x600x32");
  Run(ParseProfile(Direct3DMachine("800x600x32 800x600x16", "16 32")));
  ASSERT_TRUE(options_->ChooseDefault());
  EXPECT_EQ(SelectedModeText(), "800x600x16");
}

TEST_F(ChoiceTest, DefaultTextureQualityFromMemory) {
  struct Case {
    const char* memory;
    uint16_t quality;
  };
  const Case cases[] = {
      {"128MB", 100}, {"127MB", 100}, {"130047KB", 25}, {"64MB", 25}, {"4GB", 100}};
  for (const Case& c : cases) {
    Run(ParseProfile(Direct3DMachine(kAllModes, "16 32", "4.12.1.1234", c.memory)));
    ASSERT_TRUE(options_->ChooseDefault());
    EXPECT_EQ(options_->fTextureQuality, c.quality) << c.memory;
  }
}

TEST_F(ChoiceTest, NothingSuitable) {
  GraphicsOptions& options = Run(LoadProfile("no-accelerator.profile"));
  EXPECT_FALSE(options.LoadSavedChoice());
  EXPECT_FALSE(options.ChooseDefault());
  EXPECT_FALSE(options.SaveChoice());
  EXPECT_FALSE(std::filesystem::exists(DevModeFile()));
}

// ---------------------------------------------------------------------------
// Saving and restoring.

TEST_F(ChoiceTest, SavedFileReadsBackAsTheSelectedRecord) {
  GraphicsOptions& options = Run(LoadProfile("ati-radeon.profile"));
  ASSERT_TRUE(options.ChooseDefault());
  options.SetAntiAliasing(true);
  options.SetCompressedTextures(false);
  options.fTextureQuality = 25;
  ASSERT_TRUE(options.SaveChoice());
  EXPECT_FALSE(std::filesystem::exists(DevModeFile() + ".new"));

  mkBufferedFileStream file;
  ASSERT_TRUE(file.Open(DevModeFile().c_str(), "rb"));
  DeviceRecord record;
  DisplayMode mode;
  uint16_t quality = 0;
  ASSERT_EQ(ReadDeviceChoice(file, &record, &mode, &quality), DevModeReadResult::kOk);
  EXPECT_TRUE(file.AtEnd());
  file.Close();
  const DeviceRecord& selected = options.SelectedRecord();
  EXPECT_EQ(record.fClass, 0);
  EXPECT_TRUE(record.fModes.empty());
  EXPECT_EQ(record.fType, selected.fType);
  EXPECT_EQ(record.fDriverDescription, "ATI RADEON DDR");
  EXPECT_EQ(record.fDriverVersion, "4.13.01.7000");
  EXPECT_EQ(record.fDeviceDescription, "Direct3D T&L HAL");
  EXPECT_EQ(record.fCaps, selected.fCaps);
  EXPECT_TRUE(record.fCaps.Test(kCapAntiAliasing));
  EXPECT_FALSE(record.fCaps.Test(kCapCompressedTextures));
  EXPECT_EQ(record.fTextureUnits, 1u);
  EXPECT_EQ(record.fMemory, 30u << 20);
  EXPECT_EQ(record.fFudge[0], 2.25f);
  EXPECT_EQ(record.fFudge[8], 0.2f);
  EXPECT_EQ(ModeText(mode), "800x600x16");
  EXPECT_EQ(quality, 25);
}

TEST_F(ChoiceTest, RestoresDeviceModeAndChoices) {
  Run(LoadProfile("voodoo2-secondary.profile"));
  options_->SelectApi(kDeviceTypeDirect3D);
  ASSERT_TRUE(options_->SelectDevice(1));
  ASSERT_TRUE(options_->SelectMode(2));
  options_->SetCompressedTextures(false);
  options_->fTextureQuality = 0;
  ASSERT_TRUE(options_->SaveChoice());

  GraphicsOptions& restored = Run(LoadProfile("voodoo2-secondary.profile"));
  ASSERT_TRUE(restored.LoadSavedChoice());
  EXPECT_EQ(restored.CurrentType(), static_cast<uint32_t>(kDeviceTypeDirect3D));
  EXPECT_EQ(restored.SelectedDevice(), 1);
  EXPECT_EQ(restored.SelectedMode(), 2);
  EXPECT_EQ(SelectedModeText(), "1024x768x16");
  EXPECT_FALSE(restored.CompressedTexturesOn());
  EXPECT_EQ(restored.fTextureQuality, 0);
}

TEST_F(ChoiceTest, WindowedChoiceIsRestoredWindowed) {
  Run(ParseProfile(Direct3DMachine(kAllModes, "16 32")));
  ASSERT_TRUE(options_->ChooseDefault());
  ASSERT_TRUE(options_->SelectMode(4));  // 800x600x32 in the mode order
  options_->SetWindowed(true);
  ASSERT_TRUE(options_->SaveChoice());

  Run(ParseProfile(Direct3DMachine(kAllModes, "16 32")));
  ASSERT_TRUE(options_->LoadSavedChoice());
  // The first 800 x 600 mode of the list, whatever depth was saved.
  EXPECT_EQ(options_->SelectedMode(), 1);
  EXPECT_TRUE(options_->WindowedOn());
  EXPECT_EQ(SelectedModeText(), "800x600x0");
  EXPECT_EQ(options_->TypeList()[0].fModes[1].fDepth, 16u);
}

TEST_F(ChoiceTest, SavedChoicesThisMachineNoLongerHas) {
  struct Case {
    const char* what;
    std::string saved;
    std::string now;
  };
  const Case cases[] = {
      {"1024x768x32 now 16-bit only", Direct3DMachine(kAllModes, "16 32"),
       Direct3DMachine(kAllModes, "16")},
      {"driver updated", Direct3DMachine(kAllModes, "16 32"),
       Direct3DMachine(kAllModes, "16 32", "4.12.1.1235")},
      {"Direct3D saved, only Glide now", Direct3DMachine(kAllModes, "16 32"),
       "[system]\nmemory = 128MB\n[glide]\nwindows = 1024x768\n"},
  };
  for (const Case& c : cases) {
    Run(ParseProfile(c.saved));
    ASSERT_TRUE(options_->ChooseDefault());
    ASSERT_TRUE(options_->SelectMode(5)) << c.what;  // 1024x768x32
    options_->fTextureQuality = 0;
    ASSERT_TRUE(options_->SaveChoice());

    Run(ParseProfile(c.now));
    options_->fTextureQuality = 77;
    EXPECT_FALSE(options_->LoadSavedChoice()) << c.what;
    EXPECT_EQ(options_->fTextureQuality, 0) << c.what;  // read before the failure
    ASSERT_TRUE(options_->ChooseDefault()) << c.what;
    EXPECT_EQ(options_->fTextureQuality, 100) << c.what;
  }
}

TEST_F(ChoiceTest, UnreadableFilesFallBackToTheDefault) {
  Run(ParseProfile(Direct3DMachine(kAllModes, "16 32")));
  ASSERT_TRUE(options_->ChooseDefault());
  ASSERT_TRUE(options_->SaveChoice());
  const std::string good = ReadFile(DevModeFile());

  const std::vector<std::string> files = {
      "",
      good.substr(0, good.size() - 1),
      good.substr(0, 20),
      std::string("\x06\0\0\0", 4) + good.substr(4),
      good.substr(0, 12) + std::string("\xFF\xFF\xFF\xFF", 4) + good.substr(16),
  };
  for (const std::string& bytes : files) {
    WriteFile(DevModeFile(), bytes);
    options_->fTextureQuality = 77;
    EXPECT_FALSE(options_->LoadSavedChoice()) << bytes.size();
    EXPECT_EQ(options_->fTextureQuality, 77);
  }
  std::filesystem::remove(DevModeFile());
  EXPECT_FALSE(options_->LoadSavedChoice());
}

TEST_F(ChoiceTest, SaveFailsWithoutTheInitDirectoryAndKeepsAnOldFile) {
  Run(ParseProfile(Direct3DMachine(kAllModes, "16 32")));
  EXPECT_FALSE(options_->SaveChoice());  // nothing selected yet
  ASSERT_TRUE(options_->ChooseDefault());
  WriteFile(DevModeFile(), std::string(500, 'x'));
  ASSERT_TRUE(options_->SaveChoice());
  EXPECT_LT(ReadFile(DevModeFile()).size(), 500u);
  std::filesystem::remove_all(game_ + "/init");
  EXPECT_FALSE(options_->SaveChoice());
}

TEST_F(ChoiceTest, DetectionSwitchesTheLogOn) {
  Run(LoadProfile("voodoo3.profile"));
  log_.Close();
  const std::string text = ReadFile(game_ + "/debug_info.dat");
  EXPECT_EQ(text.find("\n--- Demo Debug Info File (Created "), 0u);
  EXPECT_NE(text.find("\nRemoving unusable devices and modes...\n"), std::string::npos);
}

}  // namespace
