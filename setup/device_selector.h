// The DeviceSelector: hardware detection and the list of detected devices.
//
// Detection runs a Glide 3 stage and a DirectDraw/Direct3D 7 stage against
// the platform (platform.h); every Direct3D record is tuned for its chipset
// as it is made (chipset_tuning.h); RemoveUnusable then drops what the engine
// cannot use, and SortAllModes puts each record's modes in the mode order.
// Everything found and decided is written to the detection log. Only the two
// stages talk to the platform.
#ifndef TESSERA_SETUP_DEVICE_SELECTOR_H_
#define TESSERA_SETUP_DEVICE_SELECTOR_H_

#include <vector>

#include "setup/debug_log.h"
#include "setup/device_record.h"
#include "setup/platform.h"

class DeviceSelector {
 public:
  // The platform and the log belong to the caller and outlive the selector.
  DeviceSelector(SystemApi& system, DebugInfoLog& log) : fSystem(system), fLog(log) {}

  // Empties the list and refills it: the Glide stage, then the Direct3D
  // stage (a DX8 stage adds nothing). Cannot fail; the list may end empty.
  void DetectDevices();
  // Drops the windowed pseudo mode, unknown and software Direct3D devices and
  // every device left without a mode, logging each decision.
  void RemoveUnusable();
  // Puts every record's modes in the mode order.
  void SortAllModes();

  // The default choice: the last T&L HAL Direct3D device, else the last
  // Glide device, else the last HAL, else the last device of type 3; its
  // first 16-bit 800x600 mode, else its last 800x600 mode, else its first
  // mode. False when there is no such device or it has no mode.
  bool PickDefault(DeviceRecord* record, DisplayMode* mode) const;

  const std::vector<DeviceRecord>& Devices() const { return fDevices; }
  // For tests and tools that build a list without detection.
  std::vector<DeviceRecord>& MutableDevices() { return fDevices; }

 private:
  void DetectGlide();
  void ProbeGlideBoard(GlideApi& glide);
  void DetectDirect3D();

  SystemApi& fSystem;
  DebugInfoLog& fLog;
  std::vector<DeviceRecord> fDevices;
};

#endif  // TESSERA_SETUP_DEVICE_SELECTOR_H_
