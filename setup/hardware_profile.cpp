#include "setup/hardware_profile.h"

#include <cstdio>
#include <utility>

#include "kit/ascii.h"
#include "setup/format.h"

namespace {

using setup::Format;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string Lower(const std::string& text) {
  return ktAsciiLowerCopy(text);
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A decimal or 0x-prefixed hexadecimal number up to `max`.
bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  std::string digits = text;
  uint64_t base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
    base = 16;
  }
  if (digits.empty()) return false;
  uint64_t result = 0;
  for (char c : digits) {
    uint64_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint64_t>(c - '0');
    } else if (base == 16 && ktAsciiLower(c) >= 'a' && ktAsciiLower(c) <= 'f') {
      digit = static_cast<uint64_t>(ktAsciiLower(c) - 'a' + 10);
    } else {
      return false;
    }
    if (digit > max || result > (max - digit) / base) return false;
    result = result * base + digit;
  }
  *value = result;
  return true;
}

struct FlagName {
  const char* fName;
  uint32_t fValue;
};

const FlagName kFlagNames[] = {
    {"canrenderwindowed", DirectDrawCaps::kCanRenderWindowed},
    {"hwrasterization", Direct3DDevice::kHwRasterization},
    {"perspective", Direct3DDevice::kPerspective},
    {"miplinear", Direct3DDevice::kMipLinear},
    {"dither", Direct3DDevice::kDither},
    {"fogtable", Direct3DDevice::kFogTable},
    {"antialiassortindependent", Direct3DDevice::kAntiAliasSortIndependent},
    {"fogrange", Direct3DDevice::kFogRange},
    {"wbuffer", Direct3DDevice::kWBuffer},
};

struct GuidName {
  const char* fName;
  const char* fGuid;
};

const GuidName kGuidNames[] = {
    {"null", "8767DF22-BACC-11D1-8969-00A0C90629A8"},
    {"ramp", "F2086B20-259F-11CF-A31A-00AA00B93356"},
    {"rgb", "A4665C60-2673-11CF-A31A-00AA00B93356"},
    {"hal", "84E63DE0-46AA-11CF-816F-0000C020156E"},
    {"mmx", "881949A1-D6F3-11D0-89AB-00A0C9054129"},
    {"tnlhal", "F5049E78-4861-11D2-A407-00A0C90629A8"},
    {"ref", "50936643-13E9-11D1-89AA-00A0C9054129"},
};

struct GlideResolutionName {
  const char* fName;
  uint32_t fCode;
};

const GlideResolutionName kGlideResolutions[] = {
    {"640x480", GlideApi::kResolution640x480},
    {"800x600", GlideApi::kResolution800x600},
    {"1024x768", GlideApi::kResolution1024x768},
};

// Reads one profile; every method returns false with fError set.
class ProfileReader {
 public:
  bool Read(const std::string& text, HardwareProfile* profile) {
    size_t start = 0;
    while (start <= text.size()) {
      ++fLine;
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      if (end - start > ProfileLimits::kMaxLineLength) {
        return Fail(Format("longer than %u characters", unsigned(ProfileLimits::kMaxLineLength)));
      }
      if (!ReadLine(text.substr(start, end - start), profile)) return false;
      start = end + 1;
    }
    return Finish(profile);
  }

  std::string fError;

 private:
  bool Fail(const std::string& what) {
    fError = Format("line %d: ", fLine) + what;
    return false;
  }

  bool ReadLine(const std::string& raw, HardwareProfile* profile) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') return true;
    // A '#' after a blank starts a comment.
    for (size_t i = 1; i < line.size(); ++i) {
      if (line[i] == '#' && IsBlank(line[i - 1])) {
        line = Trim(line.substr(0, i));
        break;
      }
    }
    if (line.front() == '[') {
      if (line.back() != ']') return Fail("a section name ends with ']'");
      return StartSection(Lower(Trim(line.substr(1, line.size() - 2))), profile);
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) return Fail("expected 'key = value'");
    std::string key = Lower(Trim(line.substr(0, equals)));
    std::string value = Trim(line.substr(equals + 1));
    if (value.size() > ProfileLimits::kMaxStringLength) {
      return Fail(Format("a value is longer than %u characters",
                         unsigned(ProfileLimits::kMaxStringLength)));
    }
    switch (fSection) {
      case Section::kNone:
        return Fail("'" + key + "' outside a section");
      case Section::kSystem:
        return SystemKey(key, value, profile);
      case Section::kGlide:
        return GlideKey(key, value, profile->fGlide);
      case Section::kDriver:
        return DriverKey(key, value, profile->fDrivers.back());
      case Section::kDevice:
        return DeviceKey(key, value, profile->fDrivers.back().fDevices.back());
    }
    return false;
  }

  bool StartSection(const std::string& name, HardwareProfile* profile) {
    if (name == "system") {
      fSection = Section::kSystem;
    } else if (name == "glide") {
      if (profile->fHasGlide) return Fail("a second [glide] section");
      profile->fHasGlide = true;
      fSection = Section::kGlide;
    } else if (name == "driver") {
      if (profile->fDrivers.size() >= ProfileLimits::kMaxDrivers) return Fail("too many drivers");
      profile->fDrivers.emplace_back();
      fSection = Section::kDriver;
    } else if (name == "device") {
      if (profile->fDrivers.empty()) return Fail("[device] before any [driver]");
      auto& devices = profile->fDrivers.back().fDevices;
      if (devices.size() >= ProfileLimits::kMaxDevices) return Fail("too many devices");
      devices.emplace_back();
      fSection = Section::kDevice;
    } else {
      return Fail("unknown section [" + name + "]");
    }
    return true;
  }

  bool Number(const std::string& value, uint64_t max, uint64_t* result) {
    if (!ParseNumber(value, max, result)) return Fail("'" + value + "' is not a number in range");
    return true;
  }

  bool Number32(const std::string& value, uint32_t* result) {
    uint64_t n = 0;
    if (!Number(value, 0xFFFFFFFFu, &n)) return false;
    *result = static_cast<uint32_t>(n);
    return true;
  }

  bool SignedCount(const std::string& value, int32_t* result) {
    uint64_t n = 0;
    if (!Number(value, 0x7FFFFFFF, &n)) return false;
    *result = static_cast<int32_t>(n);
    return true;
  }

  // A number with an optional unit KB, MB or GB, as bytes.
  bool Size(const std::string& value, uint64_t max, uint64_t* bytes) {
    std::string number = value;
    uint64_t unit = 1;
    std::string lower = Lower(value);
    static const struct {
      const char* fSuffix;
      uint64_t fUnit;
    } kUnits[] = {{"kb", 1u << 10}, {"mb", 1u << 20}, {"gb", 1u << 30}};
    for (const auto& entry : kUnits) {
      if (lower.size() > 2 && lower.compare(lower.size() - 2, 2, entry.fSuffix) == 0) {
        number = Trim(value.substr(0, value.size() - 2));
        unit = entry.fUnit;
      }
    }
    uint64_t n = 0;
    if (!ParseNumber(number, max / unit, &n)) return Fail("'" + value + "' is not a size in range");
    *bytes = n * unit;
    return true;
  }

  bool Size32(const std::string& value, uint32_t* bytes) {
    uint64_t n = 0;
    if (!Size(value, 0xFFFFFFFFu, &n)) return false;
    *bytes = static_cast<uint32_t>(n);
    return true;
  }

  bool YesNo(const std::string& value, bool* result) {
    std::string lower = Lower(value);
    if (lower == "yes") {
      *result = true;
    } else if (lower == "no") {
      *result = false;
    } else {
      return Fail("expected yes or no, not '" + value + "'");
    }
    return true;
  }

  bool Flags(const std::string& value, uint32_t* result) {
    uint32_t flags = 0;
    for (const std::string& word : Words(value)) {
      std::string lower = Lower(word);
      bool known = false;
      for (const FlagName& flag : kFlagNames) {
        if (lower == flag.fName) {
          flags |= flag.fValue;
          known = true;
        }
      }
      uint64_t n = 0;
      if (!known) {
        if (!ParseNumber(word, 0xFFFFFFFFu, &n)) return Fail("unknown flag '" + word + "'");
        flags |= static_cast<uint32_t>(n);
      }
    }
    *result = flags;
    return true;
  }

  bool GuidValue(const std::string& value, Guid* guid) {
    std::string lower = Lower(value);
    for (const GuidName& name : kGuidNames) {
      if (lower == name.fName) return Guid::Parse(name.fGuid, guid);
    }
    if (!Guid::Parse(value, guid)) return Fail("'" + value + "' is not a device kind or a guid");
    return true;
  }

  bool Resolutions(const std::string& value, std::vector<uint32_t>* codes) {
    std::vector<uint32_t> result;
    for (const std::string& word : Words(value)) {
      bool known = false;
      for (const GlideResolutionName& resolution : kGlideResolutions) {
        if (Lower(word) == resolution.fName) {
          result.push_back(resolution.fCode);
          known = true;
        }
      }
      if (!known)
        return Fail("Glide resolution '" + word + "' is not 640x480, 800x600 or 1024x768");
    }
    *codes = result;
    return true;
  }

  // "WxHxD" words, appended to `modes`.
  bool Modes(const std::string& value, std::vector<DirectDrawMode>* modes) {
    for (const std::string& word : Words(value)) {
      std::string lower = Lower(word);
      size_t x1 = lower.find('x');
      size_t x2 = x1 == std::string::npos ? x1 : lower.find('x', x1 + 1);
      uint64_t w = 0, h = 0, d = 0;
      if (x2 == std::string::npos || !ParseNumber(lower.substr(0, x1), 0xFFFFFFFFu, &w) ||
          !ParseNumber(lower.substr(x1 + 1, x2 - x1 - 1), 0xFFFFFFFFu, &h) ||
          !ParseNumber(lower.substr(x2 + 1), 0xFFFFFFFFu, &d)) {
        return Fail("'" + word + "' is not a mode such as 800x600x16");
      }
      if (modes->size() >= ProfileLimits::kMaxModes) return Fail("too many modes");
      modes->push_back(DirectDrawMode{uint32_t(w), uint32_t(h), uint32_t(d)});
    }
    return true;
  }

  // "a.b.c.d", four 16-bit parts.
  bool Version(const std::string& value, DeviceIdentifier* identifier) {
    uint64_t parts[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
      size_t dot = i < 3 ? value.find('.', start) : value.size();
      if (dot == std::string::npos ||
          !ParseNumber(value.substr(start, dot - start), 0xFFFF, &parts[i])) {
        return Fail("'" + value + "' is not a version such as 4.12.1.1234");
      }
      start = dot + 1;
    }
    identifier->fVersionHigh = uint32_t(parts[0] << 16 | parts[1]);
    identifier->fVersionLow = uint32_t(parts[2] << 16 | parts[3]);
    return true;
  }

  bool SystemKey(const std::string& key, const std::string& value, HardwareProfile* profile) {
    if (key == "memory") return Size(value, ~uint64_t(0), &profile->fMemory);
    if (key == "user") {
      profile->fHasUser = true;
      profile->fUser = value;
      return true;
    }
    return Fail("unknown key '" + key + "' in [system]");
  }

  bool GlideKey(const std::string& key, const std::string& value, GlideProfile& glide) {
    if (key == "boards") return SignedCount(value, &glide.fBoards);
    if (key == "tmus") return SignedCount(value, &glide.fTmus);
    if (key == "vendor") return Assign(value, &glide.fVendor);
    if (key == "version") return Assign(value, &glide.fVersion);
    if (key == "renderer") return Assign(value, &glide.fRenderer);
    if (key == "extensions") return Assign(value, &glide.fExtensions);
    if (key == "texture-min") return Number32(value, &glide.fTextureMin);
    if (key == "texture-max") return Number32(value, &glide.fTextureMax);
    if (key == "procs") {
      for (const std::string& word : Words(value)) glide.fProcs.push_back(word);
      return true;
    }
    if (key == "windows") return Resolutions(value, &glide.fWindows);
    if (key == "ext-windows") return Resolutions(value, &glide.fExtWindows);
    return Fail("unknown key '" + key + "' in [glide]");
  }

  bool DriverKey(const std::string& key, const std::string& value, DriverProfile& driver) {
    if (key == "primary") return YesNo(value, &driver.fDriver.fPrimary);
    if (key == "guid") {
      driver.fHasGuid = true;
      return GuidValue(value, &driver.fDriver.fGuid);
    }
    if (key == "description") return Assign(value, &driver.fDriver.fDescription);
    if (key == "name") return Assign(value, &driver.fDriver.fName);
    if (key == "create") {
      std::string lower = Lower(value);
      if (lower == "ok") {
        driver.fCreate = DriverProfile::Create::kOk;
      } else if (lower == "fails") {
        driver.fCreate = DriverProfile::Create::kFails;
      } else if (lower == "no-direct3d") {
        driver.fCreate = DriverProfile::Create::kNoDirect3D;
      } else {
        return Fail("create is ok, fails or no-direct3d, not '" + value + "'");
      }
      return true;
    }
    if (key == "caps2") return Flags(value, &driver.fCaps.fCaps2);
    if (key == "video-memory") return Size32(value, &driver.fCaps.fTotalVideoMemory);
    if (key == "texture-memory") {
      if (Lower(value) == "fails") {
        driver.fHasTextureMemory = false;
        return true;
      }
      driver.fHasTextureMemory = true;
      return Size32(value, &driver.fTextureMemory);
    }
    if (key == "id-driver") return Assign(value, &driver.fIdentifier.fDriver);
    if (key == "id-description") return Assign(value, &driver.fIdentifier.fDescription);
    if (key == "id-version") return Version(value, &driver.fIdentifier);
    if (key == "id-vendor") return Number32(value, &driver.fIdentifier.fVendorId);
    if (key == "id-device") return Number32(value, &driver.fIdentifier.fDeviceId);
    if (key == "modes") return Modes(value, &driver.fModes);
    return Fail("unknown key '" + key + "' in [driver]");
  }

  bool DeviceKey(const std::string& key, const std::string& value, Direct3DDevice& device) {
    if (key == "name") return Assign(value, &device.fName);
    if (key == "guid") return GuidValue(value, &device.fGuid);
    if (key == "devcaps") return Flags(value, &device.fDevCaps);
    if (key == "texturecaps") return Flags(value, &device.fTextureCaps);
    if (key == "filtercaps") return Flags(value, &device.fTextureFilterCaps);
    if (key == "rastercaps") return Flags(value, &device.fRasterCaps);
    if (key == "textures") return Number32(value, &device.fMaxSimultaneousTextures);
    if (key == "depth-mask") return Number32(value, &device.fRenderDepthMask);
    if (key == "depths") {
      uint32_t mask = 0;
      for (const std::string& word : Words(value)) {
        if (word == "16") {
          mask |= Direct3DDevice::kDepth16;
        } else if (word == "24") {
          mask |= Direct3DDevice::kDepth24;
        } else if (word == "32") {
          mask |= Direct3DDevice::kDepth32;
        } else {
          return Fail("render depth '" + word + "' is not 16, 24 or 32");
        }
      }
      device.fRenderDepthMask = mask;
      return true;
    }
    return Fail("unknown key '" + key + "' in [device]");
  }

  static bool Assign(const std::string& value, std::string* field) {
    *field = value;
    return true;
  }

  bool Finish(HardwareProfile* profile) {
    fLine = 0;
    int primaries = 0;
    for (size_t i = 0; i < profile->fDrivers.size(); ++i) {
      DriverProfile& driver = profile->fDrivers[i];
      if (driver.fDriver.fPrimary) {
        ++primaries;
        driver.fDriver.fGuid = Guid();
      } else if (!driver.fHasGuid) {
        driver.fDriver.fGuid.fData1 = static_cast<uint32_t>(i + 1);
        driver.fDriver.fGuid.fData2 = 0x7E55;
      }
      for (size_t j = 0; j < i; ++j) {
        const DriverProfile& earlier = profile->fDrivers[j];
        if (!driver.fDriver.fPrimary && !earlier.fDriver.fPrimary &&
            earlier.fDriver.fGuid == driver.fDriver.fGuid) {
          fError = Format("drivers %u and %u have the same guid", unsigned(j + 1), unsigned(i + 1));
          return false;
        }
      }
    }
    if (primaries > 1) {
      fError = "more than one primary driver";
      return false;
    }
    return true;
  }

  enum class Section { kNone, kSystem, kGlide, kDriver, kDevice };
  Section fSection = Section::kNone;
  int fLine = 0;
};

}  // namespace

bool ParseHardwareProfile(const std::string& text, HardwareProfile* profile, std::string* error) {
  if (text.size() > ProfileLimits::kMaxFileBytes) {
    if (error) *error = "the profile is larger than 1 MB";
    return false;
  }
  HardwareProfile result;
  ProfileReader reader;
  if (!reader.Read(text, &result)) {
    if (error) *error = reader.fError;
    return false;
  }
  *profile = std::move(result);
  return true;
}

bool LoadHardwareProfile(const std::string& path, HardwareProfile* profile, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  std::string text;
  char buffer[4096];
  size_t n;
  bool tooLarge = false;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (text.size() + n > ProfileLimits::kMaxFileBytes) {
      tooLarge = true;
      break;
    }
    text.append(buffer, n);
  }
  bool readError = std::ferror(file) != 0;
  std::fclose(file);
  if (tooLarge || readError) {
    if (error) *error = tooLarge ? path + " is larger than 1 MB" : "cannot read " + path;
    return false;
  }
  if (!ParseHardwareProfile(text, profile, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}
