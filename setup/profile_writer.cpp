#include "setup/profile_writer.h"

#include <cstdio>

#include "setup/format.h"

namespace {

using setup::Format;

std::string GuidText(const Guid& guid) {
  return Format("%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", unsigned(guid.fData1),
                unsigned(guid.fData2), unsigned(guid.fData3), unsigned(guid.fData4[0]),
                unsigned(guid.fData4[1]), unsigned(guid.fData4[2]), unsigned(guid.fData4[3]),
                unsigned(guid.fData4[4]), unsigned(guid.fData4[5]), unsigned(guid.fData4[6]),
                unsigned(guid.fData4[7]));
}

void Line(std::string* out, const char* key, const std::string& value) {
  *out += key;
  *out += " = ";
  *out += value;
  *out += "\n";
}

void Number(std::string* out, const char* key, uint64_t value) {
  Line(out, key, Format("%llu", static_cast<unsigned long long>(value)));
}

void DescribeGlide(GlideApi& glide, std::string* out) {
  *out += "\n[glide]\n";
  Number(out, "boards", uint64_t(glide.Get(GlideApi::kNumBoards)));
  Number(out, "tmus", uint64_t(glide.Get(GlideApi::kNumTmu)));
  Line(out, "vendor", glide.GetString(GlideApi::kVendor));
  Line(out, "version", glide.GetString(GlideApi::kVersion));
  Line(out, "renderer", glide.GetString(GlideApi::kRenderer));
  Line(out, "extensions", glide.GetString(GlideApi::kExtension));
  Number(out, "texture-min", glide.TexMinAddress(0));
  Number(out, "texture-max", glide.TexMaxAddress(0));
  if (glide.GetProcAddress("grSstWinOpenExt")) Line(out, "procs", "grSstWinOpenExt");
}

void DescribeDriver(DirectDrawApi& directDraw, const DirectDrawDriver& driver, std::string* out) {
  *out += "\n[driver]\n";
  Line(out, "primary", driver.fPrimary ? "yes" : "no");
  if (!driver.fPrimary) Line(out, "guid", GuidText(driver.fGuid));
  Line(out, "description", driver.fDescription);
  Line(out, "name", driver.fName);
  if (!directDraw.Create(driver)) {
    // Which of the two creations failed is not told apart here.
    Line(out, "create", "fails");
    return;
  }
  const DirectDrawCaps caps = directDraw.GetCaps();
  Line(out, "caps2", Format("0x%X", unsigned(caps.fCaps2)));
  Number(out, "video-memory", caps.fTotalVideoMemory);
  uint32_t textureMemory = 0;
  if (directDraw.GetAvailableTextureMemory(&textureMemory)) {
    Number(out, "texture-memory", textureMemory);
  } else {
    Line(out, "texture-memory", "fails");
  }
  DeviceIdentifier identifier;
  if (directDraw.GetDeviceIdentifier(&identifier)) {
    Line(out, "id-driver", identifier.fDriver);
    Line(out, "id-description", identifier.fDescription);
    Line(out, "id-version",
         Format("%u.%u.%u.%u", unsigned(identifier.fVersionHigh >> 16),
                unsigned(identifier.fVersionHigh & 0xffff), unsigned(identifier.fVersionLow >> 16),
                unsigned(identifier.fVersionLow & 0xffff)));
    Line(out, "id-vendor", Format("0x%X", unsigned(identifier.fVendorId)));
    Line(out, "id-device", Format("0x%X", unsigned(identifier.fDeviceId)));
  }
  // One line per mode keeps every line short.
  for (const DirectDrawMode& mode : directDraw.EnumerateDisplayModes()) {
    Line(out, "modes",
         Format("%ux%ux%u", unsigned(mode.fWidth), unsigned(mode.fHeight),
                unsigned(mode.fBitsPerPixel)));
  }
  for (const Direct3DDevice& device : directDraw.EnumerateDevices()) {
    *out += "\n[device]\n";
    Line(out, "name", device.fName);
    Line(out, "guid", GuidText(device.fGuid));
    Line(out, "devcaps", Format("0x%X", unsigned(device.fDevCaps)));
    Line(out, "texturecaps", Format("0x%X", unsigned(device.fTextureCaps)));
    Line(out, "filtercaps", Format("0x%X", unsigned(device.fTextureFilterCaps)));
    Line(out, "rastercaps", Format("0x%X", unsigned(device.fRasterCaps)));
    Line(out, "depth-mask", Format("0x%X", unsigned(device.fRenderDepthMask)));
    Number(out, "textures", device.fMaxSimultaneousTextures);
  }
  directDraw.Release();
}

}  // namespace

std::string DescribeHardware(SystemApi& system) {
  std::string out = "# What detection found on this machine.\n[system]\n";
  Number(&out, "memory", system.TotalPhysicalMemory());
  std::string user;
  if (system.UserName(&user)) Line(&out, "user", user);
  if (GlideApi* glide = system.Glide()) DescribeGlide(*glide, &out);
  if (DirectDrawApi* directDraw = system.DirectDraw()) {
    for (const DirectDrawDriver& driver : directDraw->EnumerateDrivers()) {
      DescribeDriver(*directDraw, driver, &out);
    }
  }
  return out;
}

bool WriteHardwareProfile(SystemApi& system, const std::string& path) {
  const std::string text = DescribeHardware(system);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}
