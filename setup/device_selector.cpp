#include "setup/device_selector.h"

#include <algorithm>

#include "setup/chipset_tuning.h"
#include "setup/format.h"

namespace {

using setup::Format;

// Direct3D keeps at most this many characters of a device's name.
constexpr size_t kMaxDeviceNameLength = 39;

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

  bool pixelExtensions =
      glide.GetString(GlideApi::kExtension).find("PIXEXT") != std::string::npos &&
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
      uint32_t context = depth == 16 ? glide.OpenWindow(window, probe.fCode, 0, 1, 0, 2, 1)
                                     : glide.OpenWindowExt(window, probe.fCode, 0, 1, 0, 5, 2, 1);
      if (context == 0) continue;
      glide.CloseWindow(context);
      for (int r = first; r < 3; ++r) {
        record.AddMode(kResolutions[r].fWidth, kResolutions[r].fHeight, depth);
        fLog.LogLine(Format("     Device handles %dx%d %dbpp",
                            static_cast<int>(kResolutions[r].fWidth),
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
    bool firstOfDriver = true;
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
      ApplyFudgeFactors(record, driver.fIdentifier, fLog, firstOfDriver);
      firstOfDriver = false;
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
    modes.erase(
        std::remove_if(modes.begin(), modes.end(),
                       [](const DisplayMode& m) { return (m.fFlags & DisplayMode::kMarked) != 0; }),
        modes.end());
    if (modes.empty()) record.fFlags |= DeviceRecord::kMarked;
  }
  fDevices.erase(
      std::remove_if(fDevices.begin(), fDevices.end(),
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
    bool direct3D =
        candidate.fType == kDeviceTypeDirect3D || candidate.fType == kDeviceTypeDX8Direct3D;
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
