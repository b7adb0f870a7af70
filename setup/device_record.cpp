#include "setup/device_record.h"

#include <algorithm>

#include "setup/format.h"

namespace {

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
  return setup::Format("%d.%02d.%02d.%04d", static_cast<int>(high >> 16),
                       static_cast<int>(high & 0xFFFF), static_cast<int>(low >> 16),
                       static_cast<int>(low & 0xFFFF));
}

int32_t DeviceClassOf(const Guid& deviceGuid) {
  for (const ClassGuid& entry : kClassGuids) {
    Guid known;
    if (Guid::Parse(entry.fGuid, &known) && known == deviceGuid) return entry.fClass;
  }
  return kDeviceClassNone;
}
