// Helpers shared by the commands of every plug-in: whole message lines,
// the runtime's decimal conversion, running an actor by name, and the 4-byte
// integer records that commands keep in host contexts.
#ifndef TESSERA_KIT_PLUGIN_COMMAND_H_
#define TESSERA_KIT_PLUGIN_COMMAND_H_

#include <cstdint>

#include "kit/host/host.h"

// Message lines are formatted into a buffer of this many bytes; a longer line
// is cut at kMessageLimit - 1 characters.
constexpr int kMessageLimit = 512;

#if defined(__GNUC__)
#define MK_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define MK_PRINTF_LIKE(f, a)
#endif

// A log line (ApiMessage) and a warning line (ApiMessageWarn), formatted
// whole with printf-style `format`.
void ktLog(egSceneApi* api, const char* format, ...) MK_PRINTF_LIKE(2, 3);
void ktWarn(egSceneApi* api, const char* format, ...) MK_PRINTF_LIKE(2, 3);

// The C runtime's atoi, without its undefined cases: leading blanks, an
// optional sign, then decimal digits; 0 when there are none; values beyond
// the 32-bit range stop at its ends.
int32_t ktAtoi(const char* text);

// The C runtime's atof, without its locale: leading blanks, an optional sign,
// then the longest decimal or exponent number; 0 when there is none. The
// result is always finite: "inf" and "nan" are not read (0), and values
// beyond the float range stop at its ends, so that no infinity reaches the
// scene through a float.
double ktAtof(const char* text);

// The texts of one command for running an actor by name.
struct ktActorTexts {
  const char* nothingToExecute;  // logged for the name "nothing"; null: no such test
  const char* notFoundFormat;    // warned with the name, e.g. "IfObjFlag: %s Actor was not found"
};

// Runs the actor called `name` for `detector`: the name "nothing" (exact
// case) logs the nothing text and runs nothing; an unknown name is warned.
void ktRunActorByName(egSceneApi* api, const char* name, egTrigDetector* detector,
                      const ktActorTexts& texts);

// The 32-bit integer record of `object` of record kind `kind` (index 0),
// made and set to 0 on first use. When the host gives no context or refuses
// the block, `fallback` (set to 0) stands in for this run.
int32_t* ktIntRecord(egSceneApi* api, void* object, int32_t kind, int32_t* fallback);

#endif  // TESSERA_KIT_PLUGIN_COMMAND_H_
