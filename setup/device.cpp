#include "setup/device.h"


#include <algorithm>
#include <cstdio>

#include "setup/format.h"

namespace {

constexpr uint32_t k16MB = 16u * 1024u * 1024u;
// Direct3D keeps at most this many characters of a device's name.
constexpr size_t kMaxDeviceNameLength = 39;

using setup::Format;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLowerCopy(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// ---------------------------------------------------------------------------
// Chipset recognition.

// One test of a chipset case: every condition given must hold. An unset
// condition (-1, null, false) holds for every device.
struct ChipsetTest {
  int32_t fVendor;
  int32_t fDevice;
  const char* fNameIs;          // whole driver name, any case
  const char* fNameBeginsWith;  // first characters of the driver name, same case
  const char* fDescHas;         // substrings of the lower-case description
  const char* fDescAlsoHas;
  bool fMemoryBelow16MB;
};

constexpr ChipsetTest Any() { return {-1, -1, nullptr, nullptr, nullptr, nullptr, false}; }
constexpr ChipsetTest Device(int32_t device) {
  return {-1, device, nullptr, nullptr, nullptr, nullptr, false};
}
constexpr ChipsetTest NameIs(const char* name) {
  return {-1, -1, name, nullptr, nullptr, nullptr, false};
}
constexpr ChipsetTest NameBeginsWith(const char* prefix) {
  return {-1, -1, nullptr, prefix, nullptr, nullptr, false};
}
constexpr ChipsetTest DescHas(const char* text, const char* also = nullptr) {
  return {-1, -1, nullptr, nullptr, text, also, false};
}
constexpr ChipsetTest DeviceNameIs(int32_t device, const char* name) {
  return {-1, device, name, nullptr, nullptr, nullptr, false};
}
constexpr ChipsetTest DeviceDescHas(int32_t device, const char* text,
                                    const char* also = nullptr) {
  return {-1, device, nullptr, nullptr, text, also, false};
}
constexpr ChipsetTest VendorDeviceNameIs(int32_t vendor, int32_t device, const char* name) {
  return {vendor, device, name, nullptr, nullptr, nullptr, false};
}
constexpr ChipsetTest DescHasBelow16MB(const char* text) {
  return {-1, -1, nullptr, nullptr, text, nullptr, true};
}

enum class MemoryFudge {
  kNone,
  kRaiseWithNote,  // after the row: below 16 MB, note it and raise to 16 MB
  kRaise,          // no row: raise to 16 MB
};

struct ChipsetCase {
  ChipsetTest fTests[4];  // the case holds when any of the first fTestCount holds
  int fTestCount;
  int32_t fRow;  // FudgeTable key; -1: no row
  const char* fLogText;
  MemoryFudge fMemory;
};

// The chipset cases in the order they are tried; the first that holds wins.
// Only the 3dfx case tests the vendor; the others trust the device id alone.
const ChipsetCase kChipsetCases[17] = {
    {{Device(0x8A22), NameIs("s3savg4.dll"), DescHas("diamond", "stealth iii"),
      DescHas("savage4 ")},
     4, 1, "   Using fudge factors for a Savage 4 chipset", MemoryFudge::kNone},
    {{Device(0x9102), NameIs("s3sav2k.dll"), DescHas("diamond", "viperii"),
      DescHas("savage2000 ")},
     4, 8, "   Using fudge factors for a Savage 2000 chipset", MemoryFudge::kNone},
    {{Device(0x8A20), NameIs("s3_6.dll"), DescHas("savage3d")},
     3, 14, "   Using fudge factors for a Savage3D chipset", MemoryFudge::kNone},
    {{NameBeginsWith("s3"), DescHas("savage")},
     2, 9, "   Using fudge factors for a generic S3 chipset", MemoryFudge::kNone},
    {{DeviceNameIs(0x5046, "ati2dvaa.dll"), DeviceDescHas(0x5046, "rage 128 pro"),
      DeviceNameIs(0x5246, "ati3draa.dll"), DeviceDescHas(0x5246, "all-in-wonder 128")},
     4, 3, "   Using fudge factors for an ATI Rage 128 Pro chipset", MemoryFudge::kNone},
    {{DeviceNameIs(0x5046, "ati3drau.dll"), DeviceDescHas(0x5046, "rage fury")},
     2, 2, "   Using fudge factors for an ATI Rage Fury MAXX chipset", MemoryFudge::kNone},
    {{DeviceNameIs(0x5144, "ati2dvag.dll"), DeviceDescHas(0x5144, "radeon")},
     2, 15, "   Using fudge factors for ATI Radeon chipset", MemoryFudge::kNone},
    {{NameBeginsWith("ati"), DescHas("ati ")},
     2, 10, "   Using fudge factors for a generic ATI chipset", MemoryFudge::kNone},
    {{DeviceNameIs(0x525, "g400d.dll"), DeviceDescHas(0x525, "matrox", "g400")},
     2, 6, "   Using fudge factors for a Matrox Millenium G400 chipset", MemoryFudge::kNone},
    {{DescHas("matrox")},
     1, 11, "   Using fudge factors for a generic Matrox chipset", MemoryFudge::kNone},
    {{DeviceNameIs(0x20, "nvdd32.dll"), DeviceDescHas(0x20, "nvidia riva tnt")},
     2, 4, "   Using fudge factors for an NVidia RIVA TNT chipset", MemoryFudge::kRaiseWithNote},
    {{DeviceNameIs(0x7125, "i81xdd.dll"), DeviceDescHas(0x7125, "intel", "810")},
     2, 7, "   Using fudge factors for an Intel i810 chipset", MemoryFudge::kNone},
    {{DeviceDescHas(0x10, "kyro")},
     1, 12, "   Using fudge factors for a KYRO chipset", MemoryFudge::kNone},
    {{VendorDeviceNameIs(0x121A, 9, "3dfxvs.dll")},
     1, 13, "   Using fudge factors for a 3dfx Voodoo5 chipset", MemoryFudge::kNone},
    {{DescHas("nvidia", "geforce")},
     1, 5, "   Using fudge factors for an NVidia GeForce-based chipset", MemoryFudge::kNone},
    {{DescHasBelow16MB("tnt")},
     1, -1, "   NVidia TNT-based card detected. Fudging memory reading to 16MB", MemoryFudge::kRaise},
    {{Any()}, 1, 0, "   Using default fudge factors", MemoryFudge::kNone},
};

struct ChipsetFacts {
  std::string fDesc;  // lower case
  std::string fName;  // as the driver gives it
  uint32_t fVendor;
  uint32_t fDevice;
  uint32_t fMemory;
};

bool Holds(const ChipsetTest& test, const ChipsetFacts& facts) {
  if (test.fVendor >= 0 && facts.fVendor != static_cast<uint32_t>(test.fVendor)) return false;
  if (test.fDevice >= 0 && facts.fDevice != static_cast<uint32_t>(test.fDevice)) return false;
  if (test.fNameIs != nullptr && !EqualsIgnoringCase(facts.fName, test.fNameIs)) return false;
  if (test.fNameBeginsWith != nullptr &&
      facts.fName.compare(0, std::char_traits<char>::length(test.fNameBeginsWith),
                          test.fNameBeginsWith) != 0) {
    return false;
  }
  if (test.fDescHas != nullptr && facts.fDesc.find(test.fDescHas) == std::string::npos) {
    return false;
  }
  if (test.fDescAlsoHas != nullptr && facts.fDesc.find(test.fDescAlsoHas) == std::string::npos) {
    return false;
  }
  if (test.fMemoryBelow16MB && facts.fMemory >= k16MB) return false;
  return true;
}

// "== " + the log text without its three leading blanks + " ==\n".
void TraceDecision(const char* logText) {
  std::string text = logText;
  text.erase(0, std::min<size_t>(3, text.size()));
  DebugTrace(("== " + text + " ==\n").c_str());
}

// ---------------------------------------------------------------------------
// Direct3D device identifiers, in the order they are tested.

struct ClassGuid {
  const char* fGuid;
  int32_t fClass;
};

const ClassGuid kClassGuids[7] = {
    {"A4665C60-2673-11CF-A31A-00AA00B93356", kDeviceClassRgb},
    {"50936643-13E9-11D1-89AA-00A0C9054129", kDeviceClassReference},
    {"F5049E78-4861-11D2-A407-00A0C90629A8", kDeviceClassTnLHal},
    {"F2086B20-259F-11CF-A31A-00AA00B93356", kDeviceClassRamp},
    {"84E63DE0-46AA-11CF-816F-0000C020156E", kDeviceClassHal},
    {"881949A1-D6F3-11D0-89AB-00A0C9054129", kDeviceClassMmx},
    {"8767DF22-BACC-11D1-8969-00A0C90629A8", kDeviceClassNull},
};

// What the Direct3D stage keeps of one driver.
struct KeptDevice {
  Direct3DDevice fDevice;
  std::vector<DirectDrawMode> fModes;
};

struct KeptDriver {
  uint32_t fMemory = 0;
  DeviceIdentifier fIdentifier;
  std::vector<KeptDevice> fDevices;
};

bool RendersToDepth(uint32_t depthMask, uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 16:
      return (depthMask & Direct3DDevice::kDepth16) != 0;
    case 24:
      return (depthMask & Direct3DDevice::kDepth24) != 0;
    case 32:
      return (depthMask & Direct3DDevice::kDepth32) != 0;
    default:
      return false;
  }
}

void SetDirect3DCaps(const Direct3DDevice& device, int32_t deviceClass, CapabilityBits& caps) {
  if (device.fTextureFilterCaps & Direct3DDevice::kMipLinear) caps.Set(2);
  if (device.fTextureCaps & Direct3DDevice::kPerspective) caps.Set(3);
  if (device.fDevCaps & Direct3DDevice::kHwRasterization) caps.Set(4);
  if (device.fRasterCaps & Direct3DDevice::kWBuffer) caps.Set(5);
  caps.Set(kCapCompressedTextures);
  if (deviceClass == kDeviceClassTnLHal) caps.Set(7);
  if (device.fRasterCaps & Direct3DDevice::kDither) caps.Set(8);
  caps.Set(9);
  if (device.fRasterCaps & Direct3DDevice::kFogTable) {
    caps.Set(10);
    caps.Set(11);
    caps.Set(16);
  }
  if (device.fRasterCaps & Direct3DDevice::kFogRange) caps.Set(12);
  if (device.fRasterCaps & Direct3DDevice::kAntiAliasSortIndependent) caps.Set(kCapAntiAliasing);
  caps.Set(15);
}

}  // namespace

// ---------------------------------------------------------------------------
// Modes and records.

bool ModeComesBefore(const DisplayMode& a, const DisplayMode& b) {
  if (a.fDepth != b.fDepth) return a.fDepth < b.fDepth;
  if (a.fHeight != b.fHeight) return a.fHeight < b.fHeight;
  return a.fWidth < b.fWidth;
}

void SortModes(std::vector<DisplayMode>& modes) {
  std::stable_sort(modes.begin(), modes.end(), ModeComesBefore);
}

void CapabilityBits::Set(uint32_t bit) {
  size_t word = bit / 32;
  if (word >= fWords.size()) fWords.resize(word + 1, 0);
  fWords[word] |= uint32_t(1) << (bit % 32);
}

void CapabilityBits::Clear(uint32_t bit) {
  size_t word = bit / 32;
  if (word < fWords.size()) fWords[word] &= ~(uint32_t(1) << (bit % 32));
}

void CapabilityBits::Assign(uint32_t bit, bool on) {
  if (on) {
    Set(bit);
  } else {
    Clear(bit);
  }
}

bool CapabilityBits::Test(uint32_t bit) const {
  size_t word = bit / 32;
  return word < fWords.size() && (fWords[word] >> (bit % 32) & 1) != 0;
}

bool DeviceRecord::AddMode(uint32_t width, uint32_t height, uint32_t depth) {
  if (fModes.size() >= kMaxModes) return false;
  DisplayMode mode;
  mode.fWidth = width;
  mode.fHeight = height;
  mode.fDepth = depth;
  fModes.push_back(mode);
  return true;
}

std::string FormatDriverVersion(uint32_t high, uint32_t low) {
  return Format("%d.%02d.%02d.%04d", static_cast<int>(high >> 16), static_cast<int>(high & 0xFFFF),
                static_cast<int>(low >> 16), static_cast<int>(low & 0xFFFF));
}

int32_t DeviceClassOf(const Guid& deviceGuid) {
  for (const ClassGuid& entry : kClassGuids) {
    Guid known;
    if (Guid::Parse(entry.fGuid, &known) && known == deviceGuid) return entry.fClass;
  }
  return kDeviceClassNone;
}

// ---------------------------------------------------------------------------
// Chipset tuning.

// Set bits and cleared bits are 0-terminated lists (bit 0 is never tuned).
const FudgeRow FudgeTable[16] = {
#define BLOCK_A 0.0f, 0.0f, 254.0f / 255.0f, 0.5f, 0.15f, 0.5f, 0.15f
#define BLOCK_B 0.1f, 0.1f, 254.0f / 255.0f, 0.85f, 0.15f, 0.5f, 0.15f
#define BLOCK_C 0.0f, 0.0f, 254.0f / 255.0f, 1.0f, 1.0f, 1.0f, 1.0f
#define BLOCK_D 0.0f, 0.0f, 254.0f / 255.0f, 0.6f, 0.15f, 0.4f, 0.15f
#define BLOCK_E 0.0f, 0.0f, 254.0f / 255.0f, 0.7f, 0.15f, 0.5f, 0.2f
    // key, set, cleared, f0, texture units, f1, f2..f8
    {0, {0}, {15, 0}, 0.0f, 0, 0.0f, {BLOCK_A}},                    // default
    {2, {0}, {10, 11, 16, 0}, 4.25f, 1, 0.0f, {BLOCK_B}},           // ATI Rage Fury MAXX
    {3, {0}, {10, 11, 15, 16, 0}, 4.25f, 1, 0.0f, {BLOCK_B}},       // ATI Rage 128 Pro
    {10, {0}, {16, 10, 11, 15, 0}, 4.25f, 1, 0.0f, {BLOCK_B}},      // generic ATI
    {4, {0}, {15, 0}, 0.0f, 0, 0.0f, {BLOCK_A}},                    // NVidia RIVA TNT
    {5, {0}, {0}, 0.0f, 0, 0.0f, {BLOCK_A}},                        // NVidia GeForce
    {6, {0}, {15, 0}, 3.25f, 0, 0.0f, {BLOCK_A}},                   // Matrox G400
    {11, {0}, {15, 0}, 3.25f, 0, 0.0f, {BLOCK_A}},                  // generic Matrox
    {7, {0}, {15, 0}, 4.5f, 1, -0.5f, {BLOCK_D}},                   // Intel i810
    {1, {17, 0}, {6, 10, 11, 15, 0}, 4.0f, 1, 0.0f, {BLOCK_A}},     // S3 Savage 4
    {8, {17, 0}, {6, 16, 10, 11, 15}, 4.0f, 1, 0.0f, {BLOCK_A}},    // S3 Savage 2000
    {9, {17, 0}, {6, 10, 11, 15, 0}, 4.0f, 1, 0.0f, {BLOCK_A}},     // generic S3
    {12, {18, 0}, {15, 16, 0}, -151.0f, 1, 0.0f, {BLOCK_A}},        // KYRO
    {13, {0}, {10, 11, 0}, 3.5f, 0, 0.0f, {BLOCK_A}},               // 3dfx Voodoo5
    {14, {0}, {15, 0}, 0.0f, 0, 0.0f, {BLOCK_C}},                   // S3 Savage3D
    {15, {0}, {5, 15, 0}, 2.25f, 1, 0.0f, {BLOCK_E}},               // ATI Radeon
#undef BLOCK_A
#undef BLOCK_B
#undef BLOCK_C
#undef BLOCK_D
#undef BLOCK_E
};

const FudgeRow* FindFudgeRow(int32_t key) {
  for (const FudgeRow& row : FudgeTable) {
    if (row.fKey == key) return &row;
  }
  return nullptr;
}

void ApplyFudgeRow(const FudgeRow& row, DeviceRecord& record) {
  for (uint32_t bit : row.fSetBits) {
    if (bit == 0) break;
    record.fCaps.Set(bit);
  }
  for (uint32_t bit : row.fClearBits) {
    if (bit == 0) break;
    record.fCaps.Clear(bit);
  }
  record.fFudge[0] = row.fFudge0;
  if (row.fTextureUnits != 0) record.fTextureUnits = row.fTextureUnits;
  record.fFudge[1] = row.fFudge1;
  for (int i = 0; i < 7; ++i) record.fFudge[2 + i] = row.fFudge2To8[i];
}

int ApplyFudgeFactors(DeviceRecord& record, const DeviceIdentifier& identifier,
                      DebugInfoLog& log) {
  log.LogLine("DeviceSelector detected Direct3D device. Info:");
  log.LogText("   Driver Description", identifier.fDescription);
  log.LogText("   Driver Name", identifier.fDriver);
  log.LogNumber("   Vendor ID", static_cast<int32_t>(identifier.fVendorId));
  log.LogNumber("   Device ID", static_cast<int32_t>(identifier.fDeviceId));
  log.LogText("   Version", record.fDriverVersion);
  log.LogNumber("   Memory size (in MB)", static_cast<int32_t>(record.fMemory >> 20));
  log.LogNumber("   Memory size (in bytes)", static_cast<int32_t>(record.fMemory));

  ChipsetFacts facts{AsciiLowerCopy(identifier.fDescription), identifier.fDriver,
                     identifier.fVendorId, identifier.fDeviceId, record.fMemory};
  for (int n = 0; n < 17; ++n) {
    const ChipsetCase& chipset = kChipsetCases[n];
    bool holds = false;
    for (int t = 0; t < chipset.fTestCount && !holds; ++t) holds = Holds(chipset.fTests[t], facts);
    if (!holds) continue;

    TraceDecision(chipset.fLogText);
    log.LogLine(chipset.fLogText);
    if (chipset.fRow >= 0) {
      if (const FudgeRow* row = FindFudgeRow(chipset.fRow)) ApplyFudgeRow(*row, record);
    }
    if (chipset.fMemory == MemoryFudge::kRaiseWithNote && record.fMemory < k16MB) {
      DebugTrace("== (also fudging memory up to 16MB) ==\n");
      log.LogLine("   (also fudging memory up to 16MB)");
      record.fMemory = k16MB;
    } else if (chipset.fMemory == MemoryFudge::kRaise) {
      record.fMemory = k16MB;
    }
    return n + 1;
  }
  return 0;  // not reached: the last case holds for every device
}

// ---------------------------------------------------------------------------
// Detection.

void DeviceSelector::DetectDevices() {
  fDevices.clear();
  bool registered = fSystem.RegisterTestClass();
  DetectGlide();
  DetectDirect3D();
  // The DirectX 8 stage finds nothing the engine uses.
  if (registered) fSystem.UnregisterTestClass();
}

void DeviceSelector::DetectGlide() {
  GlideApi* glide = fSystem.Glide();
  if (glide == nullptr) return;
  if (glide->Get(GlideApi::kNumBoards) < 1) return;
  glide->GlideInit();
  // Only the first board is probed: the engine renders on board 0.
  ProbeGlideBoard(*glide);
  glide->GlideShutdown();
}

void DeviceSelector::ProbeGlideBoard(GlideApi& glide) {
  struct GlideResolution {
    uint32_t fCode;
    uint32_t fWidth;
    uint32_t fHeight;
  };
  static const GlideResolution kResolutions[3] = {
      {GlideApi::kResolution1024x768, 1024, 768},
      {GlideApi::kResolution800x600, 800, 600},
      {GlideApi::kResolution640x480, 640, 480},
  };

  glide.SstSelect(0);
  uintptr_t window = fSystem.CreateTestWindow("Glide Test Window", 0, 0, 640, 480);

  DeviceRecord record;
  record.fType = kDeviceTypeGlide;
  int32_t tmus = glide.Get(GlideApi::kNumTmu);
  record.fDriverDescription = glide.GetString(GlideApi::kVendor);
  record.fDriverName = "glide3.dll";
  record.fDriverVersion = glide.GetString(GlideApi::kVersion);
  record.fDeviceDescription = glide.GetString(GlideApi::kRenderer);
  record.fMemory = glide.TexMaxAddress(0) - glide.TexMinAddress(0) + 8;
  record.fTextureUnits = tmus > 1 ? 2 : 1;
  record.fCaps.Set(kCapNoWindowed);
  record.fCaps.Set(2);
  record.fCaps.Set(3);
  record.fCaps.Set(4);

  bool pixelExtensions = glide.GetString(GlideApi::kExtension).find("PIXEXT") != std::string::npos &&
                         glide.GetProcAddress("grSstWinOpenExt");
  if (pixelExtensions) record.fCaps.Set(kCapAntiAliasing);

  fLog.LogLine("DeviceSelector detected Glide device. Info:");
  fLog.LogText("   Driver Description", record.fDriverDescription);
  fLog.LogText("   Driver Name", record.fDriverName);
  fLog.LogText("   Driver Version", record.fDriverVersion);
  fLog.LogText("   Device Description", record.fDeviceDescription);
  fLog.LogNumber("   Number TMUs", tmus);
  fLog.LogNumber("   Memory size (in MB)", static_cast<int32_t>(record.fMemory >> 20));
  fLog.LogNumber("   Memory size (in bytes)", static_cast<int32_t>(record.fMemory));
  if (pixelExtensions) fLog.LogLine("   Device supports 3dfx pixel extensions (must be a Voodoo5)");

  // The largest resolution whose window opens, and every smaller one, are
  // the board's modes at that depth.
  for (uint32_t depth : {16u, 32u}) {
    if (depth == 32 && !pixelExtensions) break;
    for (int first = 0; first < 3; ++first) {
      const GlideResolution& probe = kResolutions[first];
      uint32_t context =
          depth == 16
              ? glide.OpenWindow(window, probe.fCode, 0, 1, 0, 2, 1)
              : glide.OpenWindowExt(window, probe.fCode, 0, 1, 0, 5, 2, 1);
      if (context == 0) continue;
      glide.CloseWindow(context);
      for (int r = first; r < 3; ++r) {
        record.AddMode(kResolutions[r].fWidth, kResolutions[r].fHeight, depth);
        fLog.LogLine(Format("     Device handles %dx%d %dbpp", static_cast<int>(kResolutions[r].fWidth),
                            static_cast<int>(kResolutions[r].fHeight), static_cast<int>(depth)));
      }
      break;
    }
  }

  if (!record.fModes.empty()) fDevices.push_back(record);
  if (window != 0) fSystem.DestroyTestWindow(window);
}

void DeviceSelector::DetectDirect3D() {
  DirectDrawApi* ddraw = fSystem.DirectDraw();
  if (ddraw == nullptr) return;

  std::vector<KeptDriver> kept;
  for (const DirectDrawDriver& driver : ddraw->EnumerateDrivers()) {
    if (!ddraw->Create(driver)) continue;
    DirectDrawCaps caps = ddraw->GetCaps();
    KeptDriver entry;
    entry.fMemory = caps.fTotalVideoMemory;
    uint32_t textureMemory = 0;
    if (ddraw->GetAvailableTextureMemory(&textureMemory)) entry.fMemory = textureMemory;

    std::vector<DirectDrawMode> modes;
    if (driver.fPrimary && (caps.fCaps2 & DirectDrawCaps::kCanRenderWindowed) != 0) {
      modes.push_back(DirectDrawMode{0, 0, 0});  // the windowed pseudo mode
    }
    ddraw->GetDeviceIdentifier(&entry.fIdentifier);
    for (const DirectDrawMode& mode : ddraw->EnumerateDisplayModes()) modes.push_back(mode);

    for (const Direct3DDevice& device : ddraw->EnumerateDevices()) {
      // A secondary board's software devices would only duplicate the
      // primary display's.
      if (!driver.fPrimary && (device.fDevCaps & Direct3DDevice::kHwRasterization) == 0) continue;
      KeptDevice keptDevice;
      keptDevice.fDevice = device;
      if (keptDevice.fDevice.fName.size() > kMaxDeviceNameLength) {
        keptDevice.fDevice.fName.resize(kMaxDeviceNameLength);
      }
      for (const DirectDrawMode& mode : modes) {
        bool windowed = mode.fWidth == 0 && mode.fHeight == 0 && mode.fBitsPerPixel == 0;
        if (windowed || RendersToDepth(device.fRenderDepthMask, mode.fBitsPerPixel)) {
          keptDevice.fModes.push_back(mode);
        }
      }
      entry.fDevices.push_back(keptDevice);
    }
    ddraw->Release();
    kept.push_back(entry);
  }

  for (const KeptDriver& driver : kept) {
    for (const KeptDevice& device : driver.fDevices) {
      DeviceRecord record;
      record.fType = kDeviceTypeDirect3D;
      record.fDriverDescription = driver.fIdentifier.fDescription;
      record.fDriverName = driver.fIdentifier.fDriver;
      record.fDriverVersion =
          FormatDriverVersion(driver.fIdentifier.fVersionHigh, driver.fIdentifier.fVersionLow);
      record.fMemory = driver.fMemory;
      record.fDeviceDescription = device.fDevice.fName;
      record.fClass = DeviceClassOf(device.fDevice.fGuid);
      record.fTextureUnits = device.fDevice.fMaxSimultaneousTextures;
      SetDirect3DCaps(device.fDevice, record.fClass, record.fCaps);
      for (const DirectDrawMode& mode : device.fModes) {
        record.AddMode(mode.fWidth, mode.fHeight, mode.fBitsPerPixel);
      }

      if (driver.fIdentifier.fVendorId == 0x121A &&
          (record.fClass == kDeviceClassHal || record.fClass == kDeviceClassTnLHal)) {
        if (driver.fIdentifier.fDeviceId < 9) {
          record.fClass = kDeviceClass3dfxBeforeV5;
          fLog.LogLine("  Tagging device as a non-V5 3dfx card");
        } else {
          record.fClass = kDeviceClass3dfxV5;
          fLog.LogLine("  Tagging device as a 3dfx Voodoo5 or above");
        }
      }
      ApplyFudgeFactors(record, driver.fIdentifier, fLog);
      if (!record.fModes.empty()) fDevices.push_back(record);
    }
  }
}

// ---------------------------------------------------------------------------
// Removal, order and the default choice.

void DeviceSelector::RemoveUnusable() {
  fLog.LogLine("Removing unusable devices and modes...");
  for (DeviceRecord& record : fDevices) {
    for (DisplayMode& mode : record.fModes) {
      if (mode.fWidth == 0 && mode.fHeight == 0 && mode.fDepth == 0) {
        fLog.LogText("   Removing windowed mode on ", record.fDriverDescription);
        mode.fFlags |= DisplayMode::kMarked;
      } else {
        fLog.LogLine(Format("   Keeping mode (%dx%d) on device %s", static_cast<int>(mode.fWidth),
                            static_cast<int>(mode.fHeight), record.fDriverDescription.c_str()));
      }
    }
    switch (record.fType) {
      case kDeviceTypeUnknown:
        fLog.LogText("   Removing unknown device. Description", record.fDriverDescription);
        record.fFlags |= DeviceRecord::kMarked;
        break;
      case kDeviceTypeDirect3D:
      case kDeviceTypeDX8Direct3D:
        switch (record.fClass) {
          case kDeviceClassHal:
          case kDeviceClassTnLHal:
          case kDeviceClassReference:
          case kDeviceClass3dfxBeforeV5:
          case kDeviceClass3dfxV5:
            fLog.LogText(record.fType == kDeviceTypeDX8Direct3D ? "   Keeping DX8 Direct3D device"
                                                                : "   Keeping Direct3D device",
                         record.fDriverDescription);
            break;
          default:
            fLog.LogText("   Removing software Direct3D device. Description",
                         record.fDriverDescription);
            record.fFlags |= DeviceRecord::kMarked;
            break;
        }
        break;
      default:
        fLog.LogText("   Keeping device", record.fDriverDescription);
        break;
    }
  }

  for (DeviceRecord& record : fDevices) {
    auto& modes = record.fModes;
    modes.erase(std::remove_if(modes.begin(), modes.end(),
                               [](const DisplayMode& m) { return (m.fFlags & DisplayMode::kMarked) != 0; }),
                modes.end());
    if (modes.empty()) record.fFlags |= DeviceRecord::kMarked;
  }
  fDevices.erase(std::remove_if(fDevices.begin(), fDevices.end(),
                                [](const DeviceRecord& r) { return (r.fFlags & DeviceRecord::kMarked) != 0; }),
                 fDevices.end());
}

void DeviceSelector::SortAllModes() {
  for (DeviceRecord& record : fDevices) SortModes(record.fModes);
}

bool DeviceSelector::PickDefault(DeviceRecord* record, DisplayMode* mode) const {
  const DeviceRecord* tnlHal = nullptr;
  const DeviceRecord* glide = nullptr;
  const DeviceRecord* hal = nullptr;
  const DeviceRecord* other = nullptr;
  for (const DeviceRecord& candidate : fDevices) {
    bool direct3D = candidate.fType == kDeviceTypeDirect3D || candidate.fType == kDeviceTypeDX8Direct3D;
    if (direct3D && candidate.fClass == kDeviceClassTnLHal) tnlHal = &candidate;
    if (candidate.fType == kDeviceTypeGlide) glide = &candidate;
    if (direct3D && candidate.fClass == kDeviceClassHal) hal = &candidate;
    if (candidate.fType == kDeviceTypeOther) other = &candidate;
  }
  const DeviceRecord* picked = tnlHal ? tnlHal : glide ? glide : hal ? hal : other;
  if (picked == nullptr || picked->fModes.empty()) return false;

  const DisplayMode* chosen = nullptr;
  for (const DisplayMode& candidate : picked->fModes) {
    if (candidate.fWidth == 800 && candidate.fHeight == 600 &&
        (chosen == nullptr || chosen->fDepth != 16)) {
      chosen = &candidate;
    }
  }
  if (chosen == nullptr) chosen = &picked->fModes.front();
  *record = *picked;
  *mode = *chosen;
  return true;
}
