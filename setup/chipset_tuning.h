// Chipset tuning: the FudgeTable and the chipset cases that pick its rows.
//
// ApplyFudgeFactors runs on every Direct3D record as detection makes it: it
// recognises the chipset from the DirectDraw device identifier (vendor and
// device ids, driver file name, description) and applies one row of the
// table, which sets and clears capability bits, may force single texturing
// and sets the nine fudge factors that the engine reads from
// init/dev_mode.dat; two NVidia cases raise the reported memory to 16 MB.
// Each decision goes to the detection log and to the debugger trace.
#ifndef TESSERA_SETUP_CHIPSET_TUNING_H_
#define TESSERA_SETUP_CHIPSET_TUNING_H_

#include <cstdint>

#include "setup/debug_log.h"
#include "setup/device_record.h"
#include "setup/platform.h"

// One row of the chipset tuning table.
struct FudgeRow {
  int32_t fKey;
  uint32_t fSetBits[2];    // capability bits to set, 0-terminated
  uint32_t fClearBits[6];  // capability bits to clear, in order, 0-terminated
  float fFudge0;
  uint32_t fTextureUnits;  // 0: keep the record's value
  float fFudge1;
  float fFudge2To8[7];
};

// The 16 rows, keys 0..15, in table order.
extern const FudgeRow FudgeTable[16];

// The first row with `key`; null when there is none.
const FudgeRow* FindFudgeRow(int32_t key);
// Sets and clears the row's bits, then stores its fudge factors and its
// texture-unit override. Everything else in the record stays.
void ApplyFudgeRow(const FudgeRow& row, DeviceRecord& record);

// Chipset tuning of a Direct3D record from its driver's device identifier:
// logs the device, finds the chipset case, logs the decision and applies its
// row; two NVidia cases raise the memory to 16 MB. The decision goes to the
// debugger trace too when `trace` is set: every Direct3D device of a board
// gets the same decision, and detection has it said once per board. Returns
// the number (1..17) of the case taken.
int ApplyFudgeFactors(DeviceRecord& record, const DeviceIdentifier& identifier, DebugInfoLog& log,
                      bool trace = true);

#endif  // TESSERA_SETUP_CHIPSET_TUNING_H_
