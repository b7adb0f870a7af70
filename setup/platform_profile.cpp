#include "setup/platform_profile.h"

#include <utility>

#include "setup/format.h"

namespace {

using setup::Format;

}  // namespace

ProfilePlatform::ProfilePlatform(HardwareProfile profile) : fProfile(std::move(profile)) {}

void ProfilePlatform::Record(const std::string& call) {
  fCalls.push_back(call);
}

GlideApi* ProfilePlatform::Glide() {
  return fProfile.fHasGlide ? this : nullptr;
}
DirectDrawApi* ProfilePlatform::DirectDraw() {
  return this;
}

bool ProfilePlatform::RegisterTestClass() {
  Record("RegisterClass(DSTestClass)");
  return true;
}

void ProfilePlatform::UnregisterTestClass() {
  Record("UnregisterClass(DSTestClass)");
}

uintptr_t ProfilePlatform::CreateTestWindow(const char* title, int32_t x, int32_t y, int32_t width,
                                            int32_t height) {
  uintptr_t window = fNextWindow++;
  Record(Format("CreateWindow(%s, %d, %d, %d, %d) = %u", title, int(x), int(y), int(width),
                int(height), unsigned(window)));
  return window;
}

void ProfilePlatform::DestroyTestWindow(uintptr_t window) {
  Record(Format("DestroyWindow(%u)", unsigned(window)));
}

uint64_t ProfilePlatform::TotalPhysicalMemory() {
  return fProfile.fMemory;
}

bool ProfilePlatform::UserName(std::string* name) {
  if (!fProfile.fHasUser) return false;
  *name = fProfile.fUser;
  return true;
}

int32_t ProfilePlatform::Get(uint32_t item) {
  int32_t value = 0;
  if (item == kNumBoards) value = fProfile.fGlide.fBoards;
  if (item == kNumTmu) value = fProfile.fGlide.fTmus;
  Record(Format("grGet(0x%X) = %d", unsigned(item), int(value)));
  return value;
}

std::string ProfilePlatform::GetString(uint32_t item) {
  std::string value;
  switch (item) {
    case kExtension:
      value = fProfile.fGlide.fExtensions;
      break;
    case kRenderer:
      value = fProfile.fGlide.fRenderer;
      break;
    case kVendor:
      value = fProfile.fGlide.fVendor;
      break;
    case kVersion:
      value = fProfile.fGlide.fVersion;
      break;
    default:
      break;
  }
  Record(Format("grGetString(0x%X) = %s", unsigned(item), value.c_str()));
  return value;
}

void ProfilePlatform::GlideInit() {
  Record("grGlideInit()");
}
void ProfilePlatform::GlideShutdown() {
  Record("grGlideShutdown()");
}
void ProfilePlatform::SstSelect(int32_t board) {
  Record(Format("grSstSelect(%d)", int(board)));
}

uint32_t ProfilePlatform::TexMinAddress(int32_t tmu) {
  Record(Format("grTexMinAddress(%d) = 0x%X", int(tmu), unsigned(fProfile.fGlide.fTextureMin)));
  return fProfile.fGlide.fTextureMin;
}

uint32_t ProfilePlatform::TexMaxAddress(int32_t tmu) {
  Record(Format("grTexMaxAddress(%d) = 0x%X", int(tmu), unsigned(fProfile.fGlide.fTextureMax)));
  return fProfile.fGlide.fTextureMax;
}

bool ProfilePlatform::GetProcAddress(const char* name) {
  bool found = false;
  for (const std::string& proc : fProfile.fGlide.fProcs) found = found || proc == name;
  if (found && std::string(name) == "grSstWinOpenExt") fExtResolved = true;
  Record(Format("grGetProcAddress(%s) = %s", name, found ? "found" : "null"));
  return found;
}

uint32_t ProfilePlatform::OpenWindow(uintptr_t window, uint32_t resolution, uint32_t refresh,
                                     uint32_t colorFormat, uint32_t origin, int32_t colorBuffers,
                                     int32_t auxBuffers) {
  uint32_t context = 0;
  for (uint32_t code : fProfile.fGlide.fWindows) {
    if (code == resolution && window != 0) context = fNextContext;
  }
  if (context != 0) ++fNextContext;
  Record(Format("grSstWinOpen(%u, %u, %u, %u, %u, %d, %d) = %u", unsigned(window),
                unsigned(resolution), unsigned(refresh), unsigned(colorFormat), unsigned(origin),
                int(colorBuffers), int(auxBuffers), unsigned(context)));
  return context;
}

uint32_t ProfilePlatform::OpenWindowExt(uintptr_t window, uint32_t resolution, uint32_t refresh,
                                        uint32_t colorFormat, uint32_t origin, uint32_t pixelFormat,
                                        int32_t colorBuffers, int32_t auxBuffers) {
  uint32_t context = 0;
  if (fExtResolved) {
    for (uint32_t code : fProfile.fGlide.fExtWindows) {
      if (code == resolution && window != 0) context = fNextContext;
    }
  }
  if (context != 0) ++fNextContext;
  Record(Format("grSstWinOpenExt(%u, %u, %u, %u, %u, %u, %d, %d) = %u", unsigned(window),
                unsigned(resolution), unsigned(refresh), unsigned(colorFormat), unsigned(origin),
                unsigned(pixelFormat), int(colorBuffers), int(auxBuffers), unsigned(context)));
  return context;
}

void ProfilePlatform::CloseWindow(uint32_t context) {
  Record(Format("grSstWinClose(%u)", unsigned(context)));
}

std::vector<DirectDrawDriver> ProfilePlatform::EnumerateDrivers() {
  std::vector<DirectDrawDriver> drivers;
  for (const DriverProfile& driver : fProfile.fDrivers) drivers.push_back(driver.fDriver);
  Record(Format("DirectDrawEnumerateExA(7) = %u drivers", unsigned(drivers.size())));
  return drivers;
}

const DriverProfile* ProfilePlatform::OpenDriver() const {
  if (fOpenDriver < 0) return nullptr;
  return &fProfile.fDrivers[static_cast<size_t>(fOpenDriver)];
}

bool ProfilePlatform::Create(const DirectDrawDriver& driver) {
  fOpenDriver = -1;
  int index = -1;
  for (size_t i = 0; i < fProfile.fDrivers.size() && index < 0; ++i) {
    const DirectDrawDriver& candidate = fProfile.fDrivers[i].fDriver;
    if (candidate.fPrimary == driver.fPrimary && candidate.fGuid == driver.fGuid) {
      index = static_cast<int>(i);
    }
  }
  bool created =
      index >= 0 && fProfile.fDrivers[size_t(index)].fCreate == DriverProfile::Create::kOk;
  if (created) fOpenDriver = index;
  Record(Format("DirectDrawCreateEx(%s) = %s", driver.fDescription.c_str(),
                created ? "ok" : "failed"));
  return created;
}

DirectDrawCaps ProfilePlatform::GetCaps() {
  const DriverProfile* driver = OpenDriver();
  Record("GetCaps()");
  return driver ? driver->fCaps : DirectDrawCaps();
}

bool ProfilePlatform::GetAvailableTextureMemory(uint32_t* total) {
  const DriverProfile* driver = OpenDriver();
  bool answered = driver != nullptr && driver->fHasTextureMemory;
  if (answered) *total = driver->fTextureMemory;
  Record(answered ? Format("GetAvailableVidMem(TEXTURE) = %u", unsigned(*total))
                  : std::string("GetAvailableVidMem(TEXTURE) = failed"));
  return answered;
}

bool ProfilePlatform::GetDeviceIdentifier(DeviceIdentifier* identifier) {
  const DriverProfile* driver = OpenDriver();
  Record("GetDeviceIdentifier()");
  if (driver == nullptr) return false;
  *identifier = driver->fIdentifier;
  return true;
}

std::vector<DirectDrawMode> ProfilePlatform::EnumerateDisplayModes() {
  const DriverProfile* driver = OpenDriver();
  Record("EnumDisplayModes()");
  return driver ? driver->fModes : std::vector<DirectDrawMode>();
}

std::vector<Direct3DDevice> ProfilePlatform::EnumerateDevices() {
  const DriverProfile* driver = OpenDriver();
  Record("EnumDevices()");
  return driver ? driver->fDevices : std::vector<Direct3DDevice>();
}

void ProfilePlatform::Release() {
  Record("Release()");
  fOpenDriver = -1;
}
