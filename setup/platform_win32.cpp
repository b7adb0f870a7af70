// The Windows platform of hardware detection: glide3x.dll and DDRAW.DLL
// loaded at run time, the test window class, and the system facts.
#include "setup/platform.h"

#include <windows.h>

#include <ddraw.h>
#include <d3d.h>

#include "setup/debug_log.h"

namespace {

Guid ToGuid(const GUID& guid) {
  Guid result;
  result.fData1 = guid.Data1;
  result.fData2 = guid.Data2;
  result.fData3 = guid.Data3;
  for (int i = 0; i < 8; ++i) result.fData4[i] = guid.Data4[i];
  return result;
}

GUID FromGuid(const Guid& guid) {
  GUID result;
  result.Data1 = guid.fData1;
  result.Data2 = guid.fData2;
  result.Data3 = guid.fData3;
  for (int i = 0; i < 8; ++i) result.Data4[i] = guid.fData4[i];
  return result;
}

template <class Function>
bool LookUp(HMODULE library, const char* name, Function* function) {
  FARPROC address = ::GetProcAddress(library, name);
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return address != nullptr;
}

// Every entry point of the Glide 3 library, by its decorated name. Glide
// counts as present only when the library has them all.
const char* const kGlideEntryPoints[] = {
    // Drawing.
    "_grDrawPoint@4",
    "_grDrawLine@8",
    "_grDrawTriangle@12",
    "_grVertexLayout@12",
    "_grDrawVertexArray@12",
    "_grDrawVertexArrayContiguous@16",
    // Buffers.
    "_grBufferClear@12",
    "_grBufferSwap@4",
    "_grRenderBuffer@4",
    // Errors.
    "_grErrorSetCallback@4",
    // Boards and windows.
    "_grFinish@0",
    "_grFlush@0",
    "_grSstWinOpen@28",
    "_grSstWinClose@4",
    "_grSetNumPendingBuffers@4",
    "_grSelectContext@4",
    "_grSstOrigin@4",
    "_grSstSelect@4",
    // State and effects.
    "_grAlphaBlendFunction@16",
    "_grAlphaCombine@20",
    "_grAlphaControlsITRGBLighting@4",
    "_grAlphaTestFunction@4",
    "_grAlphaTestReferenceValue@4",
    "_grChromakeyMode@4",
    "_grChromakeyValue@4",
    "_grClipWindow@16",
    "_grColorCombine@20",
    "_grColorMask@8",
    "_grCullMode@4",
    "_grConstantColorValue@4",
    "_grDepthBiasLevel@4",
    "_grDepthBufferFunction@4",
    "_grDepthBufferMode@4",
    "_grDepthMask@4",
    "_grDisableAllEffects@0",
    "_grDitherMode@4",
    "_grFogColorValue@4",
    "_grFogMode@4",
    "_grFogTable@4",
    "_grLoadGammaTable@16",
    "_grSplash@20",
    "_grGet@12",
    "_grGetString@4",
    "_grQueryResolutions@8",
    "_grReset@4",
    "_grGetProcAddress@4",
    "_grEnable@4",
    "_grDisable@4",
    "_grCoordinateSpace@4",
    "_grDepthRange@8",
    "_grStippleMode@4",
    "_grStipplePattern@4",
    "_grViewport@16",
    // Textures.
    "_grTexCalcMemRequired@16",
    "_grTexTextureMemRequired@8",
    "_grTexMinAddress@4",
    "_grTexMaxAddress@4",
    "_grTexNCCTable@4",
    "_grTexSource@16",
    "_grTexClampMode@12",
    "_grTexCombine@28",
    "_grTexDetailControl@16",
    "_grTexFilterMode@12",
    "_grTexLodBiasValue@8",
    "_grTexDownloadMipMap@16",
    "_grTexDownloadMipMapLevel@32",
    "_grTexDownloadMipMapLevelPartial@40",
    "_grTexDownloadTable@8",
    "_grTexDownloadTablePartial@16",
    "_grTexMipMapMode@12",
    "_grTexMultibase@8",
    "_grTexMultibaseAddress@20",
    // Utilities.
    "_guFogTableIndexToW@4",
    "_guFogGenerateExp@8",
    "_guFogGenerateExp2@8",
    "_guFogGenerateLinear@12",
    "_guGammaCorrectionRGB@12",
    // Linear frame buffer.
    "_grLfbLock@24",
    "_grLfbUnlock@8",
    "_grLfbConstantAlpha@4",
    "_grLfbConstantDepth@4",
    "_grLfbWriteColorSwizzle@8",
    "_grLfbWriteColorFormat@4",
    "_grLfbWriteRegion@36",
    "_grLfbReadRegion@28",
    // The library itself.
    "_grGlideInit@0",
    "_grGlideShutdown@0",
    "_grGlideGetState@4",
    "_grGlideSetState@4",
    "_grGlideGetVertexLayout@4",
    "_grGlideSetVertexLayout@4",
};
static_assert(sizeof kGlideEntryPoints / sizeof kGlideEntryPoints[0] == 91,
              "the Glide 3 library has 91 entry points");

// The Glide 3 library and the entry points that detection calls.
class WindowsGlide : public GlideApi {
 public:
  ~WindowsGlide() override {
    if (fLibrary != nullptr) ::FreeLibrary(fLibrary);
  }

  // Loads glide3x.dll; false (and nothing kept) when the library or one of
  // its 91 entry points is missing.
  bool Load() {
    fLibrary = ::LoadLibraryA("glide3x.dll");
    if (fLibrary == nullptr) return false;
    bool complete = true;
    for (const char* name : kGlideEntryPoints) {
      if (::GetProcAddress(fLibrary, name) == nullptr) complete = false;
    }
    complete = complete && LookUp(fLibrary, "_grGet@12", &fGet) &&
               LookUp(fLibrary, "_grGetString@4", &fGetString) &&
               LookUp(fLibrary, "_grGlideInit@0", &fGlideInit) &&
               LookUp(fLibrary, "_grGlideShutdown@0", &fGlideShutdown) &&
               LookUp(fLibrary, "_grSstSelect@4", &fSstSelect) &&
               LookUp(fLibrary, "_grTexMinAddress@4", &fTexMinAddress) &&
               LookUp(fLibrary, "_grTexMaxAddress@4", &fTexMaxAddress) &&
               LookUp(fLibrary, "_grGetProcAddress@4", &fGetProcAddress) &&
               LookUp(fLibrary, "_grSstWinOpen@28", &fSstWinOpen) &&
               LookUp(fLibrary, "_grSstWinClose@4", &fSstWinClose);
    if (!complete) {
      ::FreeLibrary(fLibrary);
      fLibrary = nullptr;
    }
    return complete;
  }

  int32_t Get(uint32_t item) override {
    LONG value = 0;
    fGet(item, sizeof value, &value);
    return value;
  }
  std::string GetString(uint32_t item) override {
    const char* text = fGetString(item);
    return text != nullptr ? std::string(text) : std::string();
  }
  void GlideInit() override { fGlideInit(); }
  void GlideShutdown() override { fGlideShutdown(); }
  void SstSelect(int32_t board) override { fSstSelect(board); }
  uint32_t TexMinAddress(int32_t tmu) override { return fTexMinAddress(tmu); }
  uint32_t TexMaxAddress(int32_t tmu) override { return fTexMaxAddress(tmu); }
  bool GetProcAddress(const char* name) override {
    void* address = reinterpret_cast<void*>(fGetProcAddress(const_cast<char*>(name)));
    if (address != nullptr && std::string(name) == "grSstWinOpenExt") {
      fSstWinOpenExt = reinterpret_cast<SstWinOpenExtFunction>(address);
    }
    return address != nullptr;
  }
  uint32_t OpenWindow(uintptr_t window, uint32_t resolution, uint32_t refresh, uint32_t colorFormat,
                      uint32_t origin, int32_t colorBuffers, int32_t auxBuffers) override {
    return fSstWinOpen(static_cast<DWORD>(window), resolution, refresh, colorFormat, origin,
                       colorBuffers, auxBuffers);
  }
  uint32_t OpenWindowExt(uintptr_t window, uint32_t resolution, uint32_t refresh,
                         uint32_t colorFormat, uint32_t origin, uint32_t pixelFormat,
                         int32_t colorBuffers, int32_t auxBuffers) override {
    if (fSstWinOpenExt == nullptr) return 0;
    return fSstWinOpenExt(static_cast<DWORD>(window), resolution, refresh, colorFormat, origin,
                          pixelFormat, colorBuffers, auxBuffers);
  }
  void CloseWindow(uint32_t context) override { fSstWinClose(context); }

 private:
  using SstWinOpenExtFunction = DWORD(__stdcall*)(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, int,
                                                  int);

  HMODULE fLibrary = nullptr;
  DWORD(__stdcall* fGet)(DWORD, DWORD, LONG*) = nullptr;
  const char*(__stdcall* fGetString)(DWORD) = nullptr;
  void(__stdcall* fGlideInit)() = nullptr;
  void(__stdcall* fGlideShutdown)() = nullptr;
  void(__stdcall* fSstSelect)(int) = nullptr;
  DWORD(__stdcall* fTexMinAddress)(DWORD) = nullptr;
  DWORD(__stdcall* fTexMaxAddress)(DWORD) = nullptr;
  void*(__stdcall* fGetProcAddress)(char*) = nullptr;
  DWORD(__stdcall* fSstWinOpen)(DWORD, DWORD, DWORD, DWORD, DWORD, int, int) = nullptr;
  DWORD(__stdcall* fSstWinClose)(DWORD) = nullptr;
  SstWinOpenExtFunction fSstWinOpenExt = nullptr;
};

// DirectDraw through the entry points of DDRAW.DLL.
class WindowsDirectDraw : public DirectDrawApi {
 public:
  explicit WindowsDirectDraw(HMODULE library) : fLibrary(library) {}
  ~WindowsDirectDraw() override { Release(); }

  std::vector<DirectDrawDriver> EnumerateDrivers() override {
    std::vector<DirectDrawDriver> drivers;
    LPDIRECTDRAWENUMERATEEXA enumerateEx = nullptr;
    HRESULT(WINAPI * enumerate)(LPDDENUMCALLBACKA, LPVOID) = nullptr;
    if (LookUp(fLibrary, "DirectDrawEnumerateExA", &enumerateEx)) {
      enumerateEx(&OnDriverEx, &drivers,
                  DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES |
                      DDENUM_NONDISPLAYDEVICES);
    } else if (LookUp(fLibrary, "DirectDrawEnumerateA", &enumerate)) {
      enumerate(&OnDriver, &drivers);
    }
    return drivers;
  }

  bool Create(const DirectDrawDriver& driver) override {
    Release();
    HRESULT(WINAPI * create)(GUID*, LPVOID*, REFIID, IUnknown*) = nullptr;
    if (!LookUp(fLibrary, "DirectDrawCreateEx", &create)) return false;
    GUID guid = FromGuid(driver.fGuid);
    void* object = nullptr;
    if (FAILED(create(driver.fPrimary ? nullptr : &guid, &object, IID_IDirectDraw7, nullptr))) {
      return false;
    }
    fDirectDraw = static_cast<IDirectDraw7*>(object);
    object = nullptr;
    if (FAILED(fDirectDraw->QueryInterface(IID_IDirect3D7, &object))) {
      Release();
      return false;
    }
    fDirect3D = static_cast<IDirect3D7*>(object);
    return true;
  }

  DirectDrawCaps GetCaps() override {
    DirectDrawCaps result;
    DDCAPS hardware;
    DDCAPS emulation;
    ZeroMemory(&hardware, sizeof hardware);
    ZeroMemory(&emulation, sizeof emulation);
    hardware.dwSize = sizeof hardware;
    emulation.dwSize = sizeof emulation;
    if (fDirectDraw != nullptr && SUCCEEDED(fDirectDraw->GetCaps(&hardware, &emulation))) {
      result.fCaps2 = hardware.dwCaps2;
      result.fTotalVideoMemory = hardware.dwVidMemTotal;
    }
    return result;
  }

  bool GetAvailableTextureMemory(uint32_t* total) override {
    if (fDirectDraw == nullptr) return false;
    DDSCAPS2 caps;
    ZeroMemory(&caps, sizeof caps);
    caps.dwCaps = DDSCAPS_TEXTURE;
    DWORD totalMemory = 0;
    DWORD freeMemory = 0;
    if (FAILED(fDirectDraw->GetAvailableVidMem(&caps, &totalMemory, &freeMemory))) return false;
    *total = totalMemory;
    return true;
  }

  bool GetDeviceIdentifier(DeviceIdentifier* identifier) override {
    if (fDirectDraw == nullptr) return false;
    DDDEVICEIDENTIFIER2 raw;
    ZeroMemory(&raw, sizeof raw);
    if (FAILED(fDirectDraw->GetDeviceIdentifier(&raw, 0))) return false;
    raw.szDriver[sizeof raw.szDriver - 1] = '\0';
    raw.szDescription[sizeof raw.szDescription - 1] = '\0';
    identifier->fDriver = raw.szDriver;
    identifier->fDescription = raw.szDescription;
    identifier->fVersionHigh = static_cast<uint32_t>(raw.liDriverVersion.HighPart);
    identifier->fVersionLow = raw.liDriverVersion.LowPart;
    identifier->fVendorId = raw.dwVendorId;
    identifier->fDeviceId = raw.dwDeviceId;
    return true;
  }

  std::vector<DirectDrawMode> EnumerateDisplayModes() override {
    std::vector<DirectDrawMode> modes;
    if (fDirectDraw != nullptr) fDirectDraw->EnumDisplayModes(0, nullptr, &modes, &OnMode);
    return modes;
  }

  std::vector<Direct3DDevice> EnumerateDevices() override {
    std::vector<Direct3DDevice> devices;
    if (fDirect3D != nullptr) fDirect3D->EnumDevices(&OnDevice, &devices);
    return devices;
  }

  void Release() override {
    if (fDirect3D != nullptr) fDirect3D->Release();
    if (fDirectDraw != nullptr) fDirectDraw->Release();
    fDirect3D = nullptr;
    fDirectDraw = nullptr;
  }

 private:
  static BOOL WINAPI OnDriverEx(GUID* guid, LPSTR description, LPSTR name, LPVOID context,
                                HMONITOR) {
    return OnDriver(guid, description, name, context);
  }

  static BOOL WINAPI OnDriver(GUID* guid, LPSTR description, LPSTR name, LPVOID context) {
    DirectDrawDriver driver;
    driver.fPrimary = guid == nullptr;
    if (guid != nullptr) driver.fGuid = ToGuid(*guid);
    if (description != nullptr) driver.fDescription = description;
    if (name != nullptr) driver.fName = name;
    static_cast<std::vector<DirectDrawDriver>*>(context)->push_back(driver);
    return TRUE;
  }

  static HRESULT WINAPI OnMode(LPDDSURFACEDESC2 description, LPVOID context) {
    DirectDrawMode mode;
    mode.fWidth = description->dwWidth;
    mode.fHeight = description->dwHeight;
    mode.fBitsPerPixel = description->ddpfPixelFormat.dwRGBBitCount;
    static_cast<std::vector<DirectDrawMode>*>(context)->push_back(mode);
    return DDENUMRET_OK;
  }

  static HRESULT CALLBACK OnDevice(char* description, char* name, D3DDEVICEDESC7* caps,
                                   void* context) {
    Direct3DDevice device;
    if (name != nullptr) device.fName = name;
    device.fGuid = ToGuid(caps->deviceGUID);
    device.fDevCaps = caps->dwDevCaps;
    device.fTextureCaps = caps->dpcTriCaps.dwTextureCaps;
    device.fTextureFilterCaps = caps->dpcTriCaps.dwTextureFilterCaps;
    device.fRasterCaps = caps->dpcTriCaps.dwRasterCaps;
    device.fRenderDepthMask = caps->dwDeviceRenderBitDepth;
    device.fMaxSimultaneousTextures = caps->wMaxSimultaneousTextures;
    static_cast<std::vector<Direct3DDevice>*>(context)->push_back(device);
    return D3DENUMRET_OK;
  }

  HMODULE fLibrary;
  IDirectDraw7* fDirectDraw = nullptr;
  IDirect3D7* fDirect3D = nullptr;
};

class WindowsPlatform : public SystemApi {
 public:
  WindowsPlatform() {
    if (fGlide.Load()) fHasGlide = true;
    fDirectDrawLibrary = ::LoadLibraryA("DDRAW.DLL");
    DebugTrace(fDirectDrawLibrary != nullptr ? "--- DDRAW.DLL loaded successfully.\n"
                                             : "--- Unable to load DDRAW.DLL successfully.\n");
    if (fDirectDrawLibrary != nullptr) fDirectDraw.reset(new WindowsDirectDraw(fDirectDrawLibrary));
    // Nothing uses Direct3D 8 yet; loading it shows whether it is there.
    fDirect3D8Library = ::LoadLibraryA("D3D8.DLL");
    DebugTrace(fDirect3D8Library != nullptr ? "--- D3D8.DLL loaded successfully.\n"
                                            : "--- Unable to load D3D8.DLL successfully.\n");
  }

  ~WindowsPlatform() override {
    if (fDirect3D8Library != nullptr) {
      DebugTrace("--- Unloading D3D8.DLL.\n");
      ::FreeLibrary(fDirect3D8Library);
    }
    fDirectDraw.reset();
    if (fDirectDrawLibrary != nullptr) ::FreeLibrary(fDirectDrawLibrary);
  }

  GlideApi* Glide() override { return fHasGlide ? &fGlide : nullptr; }
  DirectDrawApi* DirectDraw() override { return fDirectDraw.get(); }

  bool RegisterTestClass() override {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = &::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "DSTestClass";
    return ::RegisterClassA(&windowClass) != 0;
  }

  void UnregisterTestClass() override {
    ::UnregisterClassA("DSTestClass", ::GetModuleHandleA(nullptr));
  }

  uintptr_t CreateTestWindow(const char* title, int32_t x, int32_t y, int32_t width,
                             int32_t height) override {
    HWND window = ::CreateWindowExA(
        0, "DSTestClass", title, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW,
        x, y, width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    return reinterpret_cast<uintptr_t>(window);
  }

  void DestroyTestWindow(uintptr_t window) override {
    ::DestroyWindow(reinterpret_cast<HWND>(window));
  }

  uint64_t TotalPhysicalMemory() override {
    MEMORYSTATUS status;
    ZeroMemory(&status, sizeof status);
    status.dwLength = sizeof status;
    ::GlobalMemoryStatus(&status);
    return status.dwTotalPhys;
  }

  bool UserName(std::string* name) override {
    char buffer[256];
    DWORD size = sizeof buffer;
    if (!::GetUserNameA(buffer, &size)) return false;
    buffer[sizeof buffer - 1] = '\0';
    *name = buffer;
    return true;
  }

 private:
  WindowsGlide fGlide;
  bool fHasGlide = false;
  HMODULE fDirectDrawLibrary = nullptr;
  std::unique_ptr<WindowsDirectDraw> fDirectDraw;
  HMODULE fDirect3D8Library = nullptr;
};

}  // namespace

std::unique_ptr<SystemApi> OpenSystemPlatform() {
  return std::unique_ptr<SystemApi>(new WindowsPlatform());
}
