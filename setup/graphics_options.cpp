#include "setup/graphics_options.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "setup/file_replace.h"
#include "setup/format.h"

namespace {

using setup::Format;

void WriteString(mkStream& stream, const std::string& text) {
  stream.Write32(static_cast<uint32_t>(text.size()));
  if (!text.empty()) stream.Write(static_cast<uint32_t>(text.size()), text.data());
}

void WriteMode(mkStream& stream, const DisplayMode& mode) {
  stream.Write32(mode.fFlags);
  stream.Write32(mode.fWidth);
  stream.Write32(mode.fHeight);
  stream.Write32(mode.fDepth);
}

// Reads the file's values and remembers the first problem; every read after
// a problem does nothing.
class DevModeReader {
 public:
  explicit DevModeReader(mkStream& stream) : fStream(stream) {}

  bool U32(uint32_t* value) {
    if (fResult != DevModeReadResult::kOk) return false;
    uint8_t bytes[4];
    if (!fStream.ReadFour(bytes)) return Fail(DevModeReadResult::kTruncated);
    *value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
             uint32_t(bytes[3]) << 24;
    return true;
  }

  bool U16(uint16_t* value) {
    if (fResult != DevModeReadResult::kOk) return false;
    uint8_t bytes[2];
    if (fStream.Read(2, bytes) != 2) return Fail(DevModeReadResult::kTruncated);
    *value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
  }

  bool Float(float* value) {
    uint32_t bits = 0;
    if (!U32(&bits)) return false;
    std::memcpy(value, &bits, sizeof bits);
    return true;
  }

  // A count that must not exceed `limit`.
  bool Count(uint32_t limit, uint32_t* count) {
    if (!U32(count)) return false;
    if (*count > limit) return Fail(DevModeReadResult::kTooLarge);
    return true;
  }

  bool String(std::string* text) {
    uint32_t length = 0;
    if (!Count(DevModeLimits::kMaxStringLength, &length)) return false;
    text->assign(length, '\0');
    if (length > 0 && fStream.Read(length, &(*text)[0]) != length) {
      return Fail(DevModeReadResult::kTruncated);
    }
    return true;
  }

  bool Mode(DisplayMode* mode) {
    return U32(&mode->fFlags) && U32(&mode->fWidth) && U32(&mode->fHeight) && U32(&mode->fDepth);
  }

  DevModeReadResult Result() const { return fResult; }

 private:
  bool Fail(DevModeReadResult result) {
    fResult = result;
    return false;
  }

  mkStream& fStream;
  DevModeReadResult fResult = DevModeReadResult::kOk;
};

}  // namespace

std::string DevModePath(const std::string& gameDirectory) {
  std::string path = gameDirectory;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + "init/dev_mode.dat";
}

void WriteDeviceChoice(mkStream& stream, const DeviceRecord& record, const DisplayMode& mode,
                       uint16_t textureQuality) {
  stream.Write32(record.fVersion);
  stream.Write32(record.fFlags);
  stream.Write32(record.fType);
  WriteString(stream, record.fDriverDescription);
  WriteString(stream, record.fDriverName);
  WriteString(stream, record.fDriverVersion);
  WriteString(stream, record.fDeviceDescription);
  const std::vector<uint32_t>& words = record.fCaps.Words();
  stream.Write32(static_cast<uint32_t>(words.size()));
  for (uint32_t word : words) stream.Write32(word);
  stream.Write32(record.fTextureUnits);
  stream.Write32(record.fMemory);
  stream.Write32(static_cast<uint32_t>(record.fModes.size()));
  for (const DisplayMode& each : record.fModes) WriteMode(stream, each);
  for (float fudge : record.fFudge) stream.WriteFloat(fudge);
  WriteMode(stream, mode);
  stream.Write16(textureQuality);
}

DevModeReadResult ReadDeviceChoice(mkStream& stream, DeviceRecord* record, DisplayMode* mode,
                                   uint16_t* textureQuality) {
  DevModeReader in(stream);
  DeviceRecord read;
  if (!in.U32(&read.fVersion) || !in.U32(&read.fFlags)) return in.Result();
  if (read.fVersion != DeviceRecord::kVersion) {
    record->fVersion = read.fVersion;
    record->fFlags = read.fFlags | DeviceRecord::kInvalid;
    return DevModeReadResult::kWrongVersion;
  }
  in.U32(&read.fType);
  in.String(&read.fDriverDescription);
  in.String(&read.fDriverName);
  in.String(&read.fDriverVersion);
  in.String(&read.fDeviceDescription);
  uint32_t wordCount = 0;
  if (in.Count(DevModeLimits::kMaxCapabilityWords, &wordCount)) {
    std::vector<uint32_t>& words = read.fCaps.Words();
    words.assign(wordCount, 0);
    for (uint32_t& word : words) in.U32(&word);
  }
  in.U32(&read.fTextureUnits);
  in.U32(&read.fMemory);
  uint32_t modeCount = 0;
  // Modes are added as they are read, so a count that the file does not
  // back costs no more memory than the file itself.
  if (in.Count(DevModeLimits::kMaxModes, &modeCount)) {
    for (uint32_t i = 0; i < modeCount; ++i) {
      DisplayMode each;
      if (!in.Mode(&each)) break;
      read.fModes.push_back(each);
    }
  }
  for (float& fudge : read.fFudge) in.Float(&fudge);
  DisplayMode chosen;
  in.Mode(&chosen);
  uint16_t quality = 0;
  in.U16(&quality);
  if (in.Result() != DevModeReadResult::kOk) return in.Result();
  *record = std::move(read);
  *mode = chosen;
  *textureQuality = quality;
  return DevModeReadResult::kOk;
}

// ---------------------------------------------------------------------------

GraphicsOptions::GraphicsOptions(SystemApi& system, DebugInfoLog& log, std::string gameDirectory)
    : fSystem(system),
      fLog(log),
      fDevModePath(DevModePath(gameDirectory)),
      fSelector(system, log) {}

void GraphicsOptions::Detect() {
  fLog.Enable();
  fSelector.DetectDevices();
  fSelector.RemoveUnusable();
  fSelector.SortAllModes();
}

bool GraphicsOptions::HasType(uint32_t type) const {
  for (const DeviceRecord& record : fSelector.Devices()) {
    if (record.fType == type) return true;
  }
  return false;
}

void GraphicsOptions::SelectApi(uint32_t type) {
  fTypeList.clear();
  for (const DeviceRecord& record : fSelector.Devices()) {
    if (record.fType == type) fTypeList.push_back(record);
  }
  fCurrentType = type;
  fSelectedDevice = 0;
}

bool GraphicsOptions::SelectDevice(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= fTypeList.size()) return false;
  fSelectedDevice = index;
  fSelectedMode = 0;
  fSelectedRecord = fTypeList[static_cast<size_t>(index)];
  return true;
}

bool GraphicsOptions::SelectMode(int32_t index) {
  if (fSelectedDevice < 0 || static_cast<size_t>(fSelectedDevice) >= fTypeList.size()) {
    return false;
  }
  const DeviceRecord& device = fTypeList[static_cast<size_t>(fSelectedDevice)];
  if (index < 0 || static_cast<size_t>(index) >= device.fModes.size()) return false;
  fSelectedMode = index;
  return true;
}

bool GraphicsOptions::HasSelection() const {
  return fSelectedDevice >= 0 && static_cast<size_t>(fSelectedDevice) < fTypeList.size() &&
         fSelectedMode >= 0 && static_cast<size_t>(fSelectedMode) < fSelectedRecord.fModes.size();
}

void GraphicsOptions::SetAntiAliasing(bool on) {
  if (HasSelection()) fSelectedRecord.fCaps.Assign(kCapAntiAliasing, on);
}

void GraphicsOptions::SetCompressedTextures(bool on) {
  if (HasSelection()) fSelectedRecord.fCaps.Assign(kCapCompressedTextures, on);
}

void GraphicsOptions::SetWindowed(bool on) {
  if (!HasSelection()) return;
  // Only the selected mode may carry the windowed depth: a mode left
  // windowed from an earlier selection would come back windowed when it is
  // selected again, whatever the Windowed box then says.
  const std::vector<DisplayMode>& real = fTypeList[static_cast<size_t>(fSelectedDevice)].fModes;
  for (size_t i = 0; i < real.size() && i < fSelectedRecord.fModes.size(); ++i) {
    fSelectedRecord.fModes[i].fDepth = real[i].fDepth;
  }
  if (on) fSelectedRecord.fModes[static_cast<size_t>(fSelectedMode)].fDepth = 0;
}

bool GraphicsOptions::AntiAliasingSupported() const {
  return HasSelection() &&
         fTypeList[static_cast<size_t>(fSelectedDevice)].fCaps.Test(kCapAntiAliasing);
}

bool GraphicsOptions::AntiAliasingOn() const {
  return HasSelection() && fSelectedRecord.fCaps.Test(kCapAntiAliasing);
}

bool GraphicsOptions::WindowedAllowed() const {
  return HasSelection() && !fSelectedRecord.fCaps.Test(kCapNoWindowed);
}

bool GraphicsOptions::WindowedOn() const {
  return HasSelection() && fSelectedRecord.fModes[static_cast<size_t>(fSelectedMode)].fDepth == 0;
}

bool GraphicsOptions::CompressedTexturesSupported() const {
  return HasSelection() &&
         fTypeList[static_cast<size_t>(fSelectedDevice)].fCaps.Test(kCapCompressedTextures);
}

bool GraphicsOptions::CompressedTexturesOn() const {
  return HasSelection() && fSelectedRecord.fCaps.Test(kCapCompressedTextures);
}

std::vector<std::string> GraphicsOptions::DeviceLabels() const {
  std::vector<std::string> labels;
  for (const DeviceRecord& record : fTypeList) {
    labels.push_back(record.fDriverDescription + " [" + record.fDeviceDescription + "]");
  }
  return labels;
}

std::vector<std::string> GraphicsOptions::ModeLabels() const {
  std::vector<std::string> labels;
  if (fSelectedDevice < 0 || static_cast<size_t>(fSelectedDevice) >= fTypeList.size()) {
    return labels;
  }
  for (const DisplayMode& mode : fTypeList[static_cast<size_t>(fSelectedDevice)].fModes) {
    labels.push_back(Format("%ux%u %u bit", unsigned(mode.fWidth), unsigned(mode.fHeight),
                            unsigned(mode.fDepth)));
  }
  return labels;
}

int32_t GraphicsOptions::FindDevice(const DeviceRecord& record) const {
  for (size_t i = 0; i < fTypeList.size(); ++i) {
    const DeviceRecord& candidate = fTypeList[i];
    if (candidate.fDriverDescription == record.fDriverDescription &&
        candidate.fDriverName == record.fDriverName &&
        candidate.fDriverVersion == record.fDriverVersion &&
        candidate.fDeviceDescription == record.fDeviceDescription) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

int32_t GraphicsOptions::FindMode(const DisplayMode& wanted) {
  if (fSelectedDevice < 0 || static_cast<size_t>(fSelectedDevice) >= fTypeList.size()) return -1;
  const std::vector<DisplayMode>& modes = fTypeList[static_cast<size_t>(fSelectedDevice)].fModes;
  for (size_t i = 0; i < modes.size(); ++i) {
    if (modes[i].fWidth == wanted.fWidth && modes[i].fHeight == wanted.fHeight &&
        (modes[i].fDepth == wanted.fDepth || wanted.fDepth == 0)) {
      if (wanted.fDepth == 0 && i < fSelectedRecord.fModes.size()) {
        fSelectedRecord.fModes[i].fDepth = 0;
      }
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

bool GraphicsOptions::ChooseDefault() {
  DeviceRecord picked;
  DisplayMode mode;
  if (!fSelector.PickDefault(&picked, &mode)) return false;
  SelectApi(picked.fType);
  if (!SelectDevice(FindDevice(picked))) return false;
  if (!SelectMode(FindMode(mode))) return false;
  SetAntiAliasing(false);
  uint64_t megabytes = fSystem.TotalPhysicalMemory() >> 20;
  // A "128 MB" machine reports a little less than 128 MB to the program.
  fTextureQuality = megabytes >= 127 ? kTextureHigh : kTextureMedium;
  return true;
}

bool GraphicsOptions::LoadSavedChoice() {
  mkBufferedFileStream file;
  if (!file.Open(fDevModePath.c_str(), "rb")) return false;
  DeviceRecord saved;
  DisplayMode chosen;
  uint16_t quality = 0;
  DevModeReadResult result = ReadDeviceChoice(file, &saved, &chosen, &quality);
  file.Close();
  if (result != DevModeReadResult::kOk) return false;
  fTextureQuality = quality;

  if (saved.fType == kDeviceTypeDirect3D && HasType(kDeviceTypeDirect3D)) {
    SelectApi(kDeviceTypeDirect3D);
  } else if (saved.fType == kDeviceTypeDX8Direct3D && HasType(kDeviceTypeDX8Direct3D)) {
    SelectApi(kDeviceTypeDX8Direct3D);
  } else if (saved.fType == kDeviceTypeGlide && HasType(kDeviceTypeGlide)) {
    SelectApi(kDeviceTypeGlide);
  } else {
    return false;
  }
  if (!SelectDevice(FindDevice(saved))) return false;
  SetAntiAliasing(saved.fCaps.Test(kCapAntiAliasing));
  SetCompressedTextures(saved.fCaps.Test(kCapCompressedTextures));
  return SelectMode(FindMode(chosen));
}

bool GraphicsOptions::ChoiceBytes(std::string* bytes) const {
  if (!HasSelection()) return false;
  DeviceRecord record = fSelectedRecord;
  DisplayMode chosen = record.fModes[static_cast<size_t>(fSelectedMode)];
  record.fModes.clear();
  mkStringSink sink;
  WriteDeviceChoice(sink, record, chosen, fTextureQuality);
  *bytes = std::move(sink.fBytes);
  return true;
}

bool GraphicsOptions::SaveChoice(std::string* problem) const {
  std::string bytes;
  if (!ChoiceBytes(&bytes)) {
    if (problem != nullptr) *problem = "no device is selected";
    return false;
  }
  // The new file is written next to the old one and renamed over it, so the
  // engine never finds half a record.
  FileReplacement file(fDevModePath);
  if (file.Stage(bytes) && file.Commit()) return true;
  if (problem != nullptr) *problem = file.Problem();
  return false;
}
