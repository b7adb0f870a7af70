#include "setup/chipset_tuning.h"

#include <algorithm>
#include <string>

#include "kit/ascii.h"

namespace {

constexpr uint32_t k16MB = 16u * 1024u * 1024u;

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

constexpr ChipsetTest Any() {
  return {-1, -1, nullptr, nullptr, nullptr, nullptr, false};
}
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
constexpr ChipsetTest DeviceDescHas(int32_t device, const char* text, const char* also = nullptr) {
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
     4,
     1,
     "   Using fudge factors for a Savage 4 chipset",
     MemoryFudge::kNone},
    {{Device(0x9102), NameIs("s3sav2k.dll"), DescHas("diamond", "viperii"), DescHas("savage2000 ")},
     4,
     8,
     "   Using fudge factors for a Savage 2000 chipset",
     MemoryFudge::kNone},
    {{Device(0x8A20), NameIs("s3_6.dll"), DescHas("savage3d")},
     3,
     14,
     "   Using fudge factors for a Savage3D chipset",
     MemoryFudge::kNone},
    {{NameBeginsWith("s3"), DescHas("savage")},
     2,
     9,
     "   Using fudge factors for a generic S3 chipset",
     MemoryFudge::kNone},
    {{DeviceNameIs(0x5046, "ati2dvaa.dll"), DeviceDescHas(0x5046, "rage 128 pro"),
      DeviceNameIs(0x5246, "ati3draa.dll"), DeviceDescHas(0x5246, "all-in-wonder 128")},
     4,
     3,
     "   Using fudge factors for an ATI Rage 128 Pro chipset",
     MemoryFudge::kNone},
    {{DeviceNameIs(0x5046, "ati3drau.dll"), DeviceDescHas(0x5046, "rage fury")},
     2,
     2,
     "   Using fudge factors for an ATI Rage Fury MAXX chipset",
     MemoryFudge::kNone},
    {{DeviceNameIs(0x5144, "ati2dvag.dll"), DeviceDescHas(0x5144, "radeon")},
     2,
     15,
     "   Using fudge factors for ATI Radeon chipset",
     MemoryFudge::kNone},
    {{NameBeginsWith("ati"), DescHas("ati ")},
     2,
     10,
     "   Using fudge factors for a generic ATI chipset",
     MemoryFudge::kNone},
    {{DeviceNameIs(0x525, "g400d.dll"), DeviceDescHas(0x525, "matrox", "g400")},
     2,
     6,
     "   Using fudge factors for a Matrox Millenium G400 chipset",
     MemoryFudge::kNone},
    {{DescHas("matrox")},
     1,
     11,
     "   Using fudge factors for a generic Matrox chipset",
     MemoryFudge::kNone},
    {{DeviceNameIs(0x20, "nvdd32.dll"), DeviceDescHas(0x20, "nvidia riva tnt")},
     2,
     4,
     "   Using fudge factors for an NVidia RIVA TNT chipset",
     MemoryFudge::kRaiseWithNote},
    {{DeviceNameIs(0x7125, "i81xdd.dll"), DeviceDescHas(0x7125, "intel", "810")},
     2,
     7,
     "   Using fudge factors for an Intel i810 chipset",
     MemoryFudge::kNone},
    {{DeviceDescHas(0x10, "kyro")},
     1,
     12,
     "   Using fudge factors for a KYRO chipset",
     MemoryFudge::kNone},
    {{VendorDeviceNameIs(0x121A, 9, "3dfxvs.dll")},
     1,
     13,
     "   Using fudge factors for a 3dfx Voodoo5 chipset",
     MemoryFudge::kNone},
    {{DescHas("nvidia", "geforce")},
     1,
     5,
     "   Using fudge factors for an NVidia GeForce-based chipset",
     MemoryFudge::kNone},
    {{DescHasBelow16MB("tnt")},
     1,
     -1,
     "   NVidia TNT-based card detected. Fudging memory reading to 16MB",
     MemoryFudge::kRaise},
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
  if (test.fNameIs != nullptr && !ktSameTextNoCase(facts.fName, test.fNameIs)) return false;
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
}  // namespace

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
    {0, {0}, {15, 0}, 0.0f, 0, 0.0f, {BLOCK_A}},                  // default
    {2, {0}, {10, 11, 16, 0}, 4.25f, 1, 0.0f, {BLOCK_B}},         // ATI Rage Fury MAXX
    {3, {0}, {10, 11, 15, 16, 0}, 4.25f, 1, 0.0f, {BLOCK_B}},     // ATI Rage 128 Pro
    {10, {0}, {16, 10, 11, 15, 0}, 4.25f, 1, 0.0f, {BLOCK_B}},    // generic ATI
    {4, {0}, {15, 0}, 0.0f, 0, 0.0f, {BLOCK_A}},                  // NVidia RIVA TNT
    {5, {0}, {0}, 0.0f, 0, 0.0f, {BLOCK_A}},                      // NVidia GeForce
    {6, {0}, {15, 0}, 3.25f, 0, 0.0f, {BLOCK_A}},                 // Matrox G400
    {11, {0}, {15, 0}, 3.25f, 0, 0.0f, {BLOCK_A}},                // generic Matrox
    {7, {0}, {15, 0}, 4.5f, 1, -0.5f, {BLOCK_D}},                 // Intel i810
    {1, {17, 0}, {6, 10, 11, 15, 0}, 4.0f, 1, 0.0f, {BLOCK_A}},   // S3 Savage 4
    {8, {17, 0}, {6, 16, 10, 11, 15}, 4.0f, 1, 0.0f, {BLOCK_A}},  // S3 Savage 2000
    {9, {17, 0}, {6, 10, 11, 15, 0}, 4.0f, 1, 0.0f, {BLOCK_A}},   // generic S3
    {12, {18, 0}, {15, 16, 0}, -151.0f, 1, 0.0f, {BLOCK_A}},      // KYRO
    {13, {0}, {10, 11, 0}, 3.5f, 0, 0.0f, {BLOCK_A}},             // 3dfx Voodoo5
    {14, {0}, {15, 0}, 0.0f, 0, 0.0f, {BLOCK_C}},                 // S3 Savage3D
    {15, {0}, {5, 15, 0}, 2.25f, 1, 0.0f, {BLOCK_E}},             // ATI Radeon
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

int ApplyFudgeFactors(DeviceRecord& record, const DeviceIdentifier& identifier, DebugInfoLog& log,
                      bool trace) {
  log.LogLine("DeviceSelector detected Direct3D device. Info:");
  log.LogText("   Driver Description", identifier.fDescription);
  log.LogText("   Driver Name", identifier.fDriver);
  log.LogNumber("   Vendor ID", static_cast<int32_t>(identifier.fVendorId));
  log.LogNumber("   Device ID", static_cast<int32_t>(identifier.fDeviceId));
  log.LogText("   Version", record.fDriverVersion);
  log.LogNumber("   Memory size (in MB)", static_cast<int32_t>(record.fMemory >> 20));
  log.LogNumber("   Memory size (in bytes)", static_cast<int32_t>(record.fMemory));

  ChipsetFacts facts{ktAsciiLowerCopy(identifier.fDescription), identifier.fDriver,
                     identifier.fVendorId, identifier.fDeviceId, record.fMemory};
  for (int n = 0; n < 17; ++n) {
    const ChipsetCase& chipset = kChipsetCases[n];
    bool holds = false;
    for (int t = 0; t < chipset.fTestCount && !holds; ++t) holds = Holds(chipset.fTests[t], facts);
    if (!holds) continue;

    if (trace) TraceDecision(chipset.fLogText);
    log.LogLine(chipset.fLogText);
    if (chipset.fRow >= 0) {
      if (const FudgeRow* row = FindFudgeRow(chipset.fRow)) ApplyFudgeRow(*row, record);
    }
    if (chipset.fMemory == MemoryFudge::kRaiseWithNote && record.fMemory < k16MB) {
      if (trace) DebugTrace("== (also fudging memory up to 16MB) ==\n");
      log.LogLine("   (also fudging memory up to 16MB)");
      record.fMemory = k16MB;
    } else if (chipset.fMemory == MemoryFudge::kRaise) {
      record.fMemory = k16MB;
    }
    return n + 1;
  }
  return 0;  // not reached: the last case holds for every device
}
