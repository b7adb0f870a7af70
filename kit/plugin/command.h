// Helpers shared by the commands of every plug-in: the command rows that
// declare each command with its argument counts and usage line, whole
// message lines, the runtime's decimal conversion, running an actor by name,
// and the records that commands keep in host contexts.
//
// A plug-in lists its commands once, one row each:
//
//   #define KILN_XCMDS(X)
//     X(SetObjFlag, SetObjFlagCmd, 2, 2,
//       "SetObjFlag: wrong number of arguments (Object, What)")
//     X(RandomActor, RandomActorCmd, 1, kAnyCount,
//       "RandomActor: wrong number of arguments (Actor1, Actor2, ...)")
//
// (each line of the definition ending in a backslash), then
//   MK_DECLARE_XCMDS(KILN_XCMDS)   // in a header: the classes
//   MK_EXPORT_XCMDS(KILN_XCMDS)    // in plugin.cpp: the objects and XCmdIdentDLL
//
// A row holds the exported name, the class, the least and the most argument
// counts the command takes and the warning line for any other count, exactly
// as the command says it. Each class holds its row as kRow; its Run (defined
// in the command's source file) starts with
//
//   if (!ktArgumentsFit(fSceneApi, kRow, argc, argv)) return 1;
//
// after any step that the command takes before it looks at its arguments.
#ifndef TESSERA_KIT_PLUGIN_COMMAND_H_
#define TESSERA_KIT_PLUGIN_COMMAND_H_

#include <cstdint>
#include <string_view>

#include "kit/host/host.h"
#include "kit/plugin/plugin.h"

// --- Command rows ------------------------------------------------------------

// The most argument count of a command that takes any number from its least.
constexpr int32_t kAnyCount = INT32_MAX;

// One command's row: its exported name, the argument counts that it takes
// (minArgs to maxArgs, both included) and its usage line, warned whole when
// it is given any other count.
struct ktCommandRow {
  const char* name;
  int32_t minArgs;
  int32_t maxArgs;
  const char* usage;
};

// The phrase that every usage line holds after its first word.
constexpr std::string_view kWrongCountPhrase = ": wrong number of arguments (";

// Whether a row is well formed: 0 <= minArgs <= maxArgs, and a usage line of
// one word, the phrase, the expected arguments and a closing parenthesis. A
// command that takes any count (0 to kAnyCount) has no usage line (null).
constexpr bool ktRowIsWellFormed(int32_t minArgs, int32_t maxArgs, const char* usage) {
  if (usage == nullptr) return minArgs == 0 && maxArgs == kAnyCount;
  const std::string_view line = usage;
  const size_t phrase = line.find(kWrongCountPhrase);
  return minArgs >= 0 && minArgs <= maxArgs && phrase != std::string_view::npos && phrase > 0 &&
         line.substr(0, phrase).find(' ') == std::string_view::npos && line.back() == ')';
}

// True when `argc` lies within the row's counts. Otherwise (and when the
// host gives no argument array for a command that needs arguments) warns the
// row's usage line and returns false.
bool ktArgumentsFit(egSceneApi* api, const ktCommandRow& row, int32_t argc, const char** argv);

#define MK_XCMD_CLASS_(Name, Class, MinArgs, MaxArgs, Usage)                                    \
  class Class final : public egXCmd {                                                           \
   public:                                                                                      \
    static_assert(ktRowIsWellFormed(MinArgs, MaxArgs, Usage), #Name ": malformed command row"); \
    static constexpr ktCommandRow kRow{#Name, MinArgs, MaxArgs, Usage};                         \
    MK_DESTROYING_DESTRUCTOR(Class)                                                             \
    int32_t Run(int32_t argc, const char** argv, egActorInstance* instance, egTrigActor* actor, \
                egTrigDetector* detector) override;                                             \
  };

// Declares the command class of every row of X-list `List`.
#define MK_DECLARE_XCMDS(List) List(MK_XCMD_CLASS_)

// The rows of X-list `List` as ktCommandRow initialisers, for tables.
#define MK_XCMD_ROW_(Name, Class, MinArgs, MaxArgs, Usage) \
  ktCommandRow{#Name, MinArgs, MaxArgs, Usage},

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

// The scene object called `name` (GetSceneObjectByID); when there is none,
// warns `notFoundFormat` with the name (a format may leave the name out) and
// returns null.
mkSceneObject* ktFindObjectOrWarn(egSceneApi* api, const char* name, const char* notFoundFormat);

// The texts of one command for running an actor by name.
struct ktActorTexts {
  const char* nothingToExecute;  // logged for the name "nothing"; null: no such test
  const char* notFoundFormat;    // warned with the name, e.g. "IfObjFlag: %s Actor was not found"
};

// Runs the actor called `name` for `detector`: the name "nothing" (exact
// case) logs the nothing text and runs nothing; an unknown name is warned.
void ktRunActorByName(egSceneApi* api, const char* name, egTrigDetector* detector,
                      const ktActorTexts& texts);

// The data block of the host context found by (a, b, c), made on first use
// with sizeof(Record) bytes and filled by `make`; null when the host gives
// no context or no block.
template <class Record, class Make>
Record* ktContextRecord(egSceneApi* api, const void* a, intptr_t b, intptr_t c, Make&& make) {
  egContextMgr::Context* context = api->XCmdFindContext(
      const_cast<void*>(a), reinterpret_cast<void*>(b), reinterpret_cast<void*>(c));
  if (context == nullptr) return nullptr;
  void* data = context->GetData();
  if (data == nullptr) {
    data = context->AllocData(int32_t(sizeof(Record)));
    if (data == nullptr) return nullptr;
    make(static_cast<Record*>(data));
  }
  return static_cast<Record*>(data);
}

// The 32-bit integer record of `object` of record kind `kind` (index 0),
// made and set to 0 on first use. When the host gives no context or refuses
// the block, `fallback` (set to 0) stands in for this run.
int32_t* ktIntRecord(egSceneApi* api, void* object, int32_t kind, int32_t* fallback);

#endif  // TESSERA_KIT_PLUGIN_COMMAND_H_
