/* abi_check.exe PLUGIN.dll: loads a plug-in the way the engine (an MSVC-built
 * 32-bit Windows host) does and calls every exported object through its
 * operation table with MSVC's thiscall conventions, checking field offsets,
 * results and the bytes that each operation pops off the stack.
 *
 * Written in C against layout-only types: nothing here comes from the
 * plug-in's own headers except the list of scene operations, which gives the
 * stub scene interface its slot count and argument widths. Prints one line
 * per check and exits with the number of failed checks.
 *
 * Vector operations (brain slots 27 to 29) are called in MSVC's order: the
 * object in ECX, the result pointer first on the stack. A control call in
 * MinGW GCC's by-value order (result pointer in ECX, object on the stack)
 * must not deliver the vector; it is made on copies of the object so that a
 * plug-in that takes the wrong argument for itself damages nothing. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#if !defined(__i386__)
#error "abi_check is a 32-bit Windows program"
#endif

#define THISCALL __attribute__((thiscall))

static int gFailures;
static int gChecks;

static void Check(int ok, const char* what, const char* object, const char* detail) {
  ++gChecks;
  if (!ok) ++gFailures;
  printf("%s %s: %s%s%s\n", ok ? "ok  " : "FAIL", object, what, detail[0] ? " -- " : "", detail);
}

static void CheckInt(const char* object, const char* what, long actual, long expected) {
  char detail[96] = "";
  if (actual != expected)
    snprintf(detail, sizeof detail, "got %ld, expected %ld", actual, expected);
  Check(actual == expected, what, object, detail);
}

/* --- Raw calls -------------------------------------------------------------
 * tessera_raw_thiscall(fn, self, args, count, out): pushes args[count-1] ...
 * args[0], puts self in ECX, calls fn and stores EAX, EDX and the number of
 * bytes that the callee popped. The stack is restored whatever it popped. */
typedef struct {
  uint32_t eax;
  uint32_t edx;
  int32_t popped;
} RawResult;

extern void RawThiscall(const void* fn, void* self, const uint32_t* args, int32_t count,
                        RawResult* out) __asm__("tessera_raw_thiscall");
__asm__(
    ".text\n"
    ".globl tessera_raw_thiscall\n"
    "tessera_raw_thiscall:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 16(%ebp), %esi\n" /* args */
    "  movl 20(%ebp), %ecx\n" /* count */
    "  movl %esp, %edi\n"     /* the stack before the arguments */
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%esi,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  movl 12(%ebp), %ecx\n" /* self */
    "  call *8(%ebp)\n"
    "  movl 24(%ebp), %ebx\n"
    "  movl %eax, 0(%ebx)\n"
    "  movl %edx, 4(%ebx)\n"
    "  movl %edi, %eax\n"
    "  subl %esp, %eax\n" /* bytes left on the stack */
    "  movl 20(%ebp), %ecx\n"
    "  shll $2, %ecx\n"
    "  subl %eax, %ecx\n"
    "  movl %ecx, 8(%ebx)\n"
    "  movl %edi, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

static void* Slot(void* object, int slot) {
  return (*(void***)object)[slot];
}

/* Calls `slot` of `object` with `count` 32-bit arguments and checks that it
 * pops exactly 4 bytes per argument, as MSVC's thiscall does. */
static uint32_t CallChecked(const char* name, void* object, int slot, const uint32_t* args,
                            int count) {
  RawResult r;
  char what[64];
  RawThiscall(Slot(object, slot), object, args, count, &r);
  snprintf(what, sizeof what, "slot %d pops %d bytes", slot, 4 * count);
  CheckInt(name, what, r.popped, 4 * count);
  return r.eax;
}
#define CALL(name, object, slot, ...)                                     \
  CallChecked(name, object, slot, (const uint32_t[]){0, __VA_ARGS__} + 1, \
              (int)(sizeof((const uint32_t[]){0, __VA_ARGS__}) / sizeof(uint32_t)) - 1)

static uint32_t FloatBits(float value) {
  uint32_t bits;
  memcpy(&bits, &value, 4);
  return bits;
}

/* --- Layouts of the plug-in objects, as the engine sees them ------------- */
typedef struct {
  void** table;
  int32_t refCount;         /* 4 */
  void* stateRecord;        /* 8 */
  int32_t stateValue;       /* 12 */
  void* currentKey;         /* 16 */
  uint16_t earlierCount;    /* 20 */
  uint16_t earlierCapacity; /* 22 */
  void** earlierKeys;       /* 24 */
  void* sceneApi;           /* 28 */
  void* hostBrain;          /* 32, brains only */
} PluginObject;

typedef struct {
  float x, y, z;
} Vec3;

_Static_assert(offsetof(PluginObject, refCount) == 4, "layout");
_Static_assert(offsetof(PluginObject, earlierKeys) == 24, "layout");
_Static_assert(offsetof(PluginObject, sceneApi) == 28, "layout");
_Static_assert(offsetof(PluginObject, hostBrain) == 32, "layout");

/* --- The stub scene interface ---------------------------------------------
 * One trampoline per operation of scene_ops.inc loads its slot number and
 * jumps to a common part that records the call, returns 0 (0.0 for float
 * results) and pops 4 bytes per argument. */
#define COUNT_ARGS(...) \
  COUNT_ARGS_(0, ##__VA_ARGS__, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define COUNT_ARGS_(z, a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, N, ...) N

static const struct {
  const char* result;
  const char* name;
  int32_t count;
} kSceneOps[] = {
#define MK_SCENE_OP(Ret, Name, Params, Args, Format, Types, Defaults, Result) \
  {#Ret, #Name, COUNT_ARGS Args},
#include "kit/host/scene_ops.inc"
};
enum { kSceneOpCount = sizeof kSceneOps / sizeof kSceneOps[0] };

int32_t gScenePops[kSceneOpCount] __asm__("tessera_scene_pops");
uint8_t gSceneFloat[kSceneOpCount] __asm__("tessera_scene_float");
extern const char gSceneTrampolines[] __asm__("tessera_scene_trampolines");
static void* gSceneTable[kSceneOpCount];
static struct { void** table; } gScene = {gSceneTable};
static int gSceneCalls;
static char gLastWarning[300];
static int gWarnings;      /* ApiMessageWarn calls */
static char gWarning[600]; /* the last ApiMessageWarn line */

uint32_t __cdecl SceneNote(int32_t slot, const uint32_t* args) __asm__("tessera_scene_note");
uint32_t __cdecl SceneNote(int32_t slot, const uint32_t* args) {
  ++gSceneCalls;
  if (strcmp(kSceneOps[slot].name, "ApiMessageWarn") == 0 ||
      strcmp(kSceneOps[slot].name, "ApiMessage") == 0) {
    snprintf(gLastWarning, sizeof gLastWarning, "%s", (const char*)args[0]);
  }
  if (strcmp(kSceneOps[slot].name, "ApiMessageWarn") == 0) {
    ++gWarnings;
    snprintf(gWarning, sizeof gWarning, "%s", (const char*)args[0]);
  }
  return 0;
}

__asm__(
    ".text\n"
    "tessera_scene_common:\n" /* eax: slot; [esp]: return address */
    "  pushl %eax\n"
    "  leal 8(%esp), %edx\n"
    "  pushl %edx\n"
    "  pushl %eax\n"
    "  call tessera_scene_note\n"
    "  addl $8, %esp\n"
    "  popl %edx\n"
    "  cmpb $0, tessera_scene_float(%edx)\n"
    "  je 1f\n"
    "  fldz\n"
    "1:\n"
    "  movl tessera_scene_pops(,%edx,4), %edx\n"
    "  popl %ecx\n"
    "  addl %edx, %esp\n"
    "  jmp *%ecx\n"
    ".balign 16\n"
    ".globl tessera_scene_trampolines\n"
    "tessera_scene_trampolines:\n"
    ".set tessera_slot, 0\n"
    ".rept 512\n"
    "  .balign 16\n"
    "  movl $tessera_slot, %eax\n"
    "  jmp tessera_scene_common\n"
    "  .set tessera_slot, tessera_slot + 1\n"
    ".endr\n");

static void InitScene(void) {
  for (int i = 0; i < kSceneOpCount; ++i) {
    gScenePops[i] = 4 * kSceneOps[i].count;
    gSceneFloat[i] = strcmp(kSceneOps[i].result, "float") == 0;
    gSceneTable[i] = (void*)(gSceneTrampolines + 16 * i);
  }
}

/* --- The host brain (egBrain) ----------------------------------------------
 * Records the last operation and whether SetPluginCall(1) preceded it. Each
 * integer operation answers 500 + its row; vector operations write the
 * vector times (row - 15) through the result pointer and return it. */
static struct { void** table; } gHostBrain;
static const char* gHostLast;
static int gHostAnnounced;
static int32_t gPluginCall;
static void* gHostResultArg;

static int32_t Host(const char* name, int32_t answer) {
  gHostLast = name;
  gHostAnnounced = gPluginCall == 1;
  gPluginCall = 0;
  return answer;
}
static void* THISCALL HostNull(void* self) {
  return NULL;
}
static int32_t THISCALL HostFlags(void* self) {
  return 0;
}
static void THISCALL HostSetPluginCall(void* self, int32_t value) {
  gPluginCall = value;
}
static int32_t THISCALL HostUpdate(void* self, float t) {
  return Host("Update", 513);
}
static int32_t THISCALL HostPreUpdate(void* self, float t) {
  return Host("PreUpdate", 514);
}
static int32_t THISCALL HostReset(void* self) {
  return Host("Reset", 515);
}
static int32_t THISCALL HostSendParams(void* self, int32_t c, const char** v) {
  return Host("SendParams", 516);
}
static int32_t THISCALL HostPrepareToDetach(void* self) {
  return Host("PrepareToDetach", 517);
}
static int32_t THISCALL HostPrepareToAttach(void* self, int32_t v) {
  return Host("PrepareToAttach", 518);
}
static int32_t THISCALL HostCanCollideWith(void* self, void* o) {
  return Host("CanCollideWith", 519);
}
static int32_t THISCALL HostReportCollision(void* self, void* a, void* b) {
  return Host("ReportCollision", 520);
}
static int32_t THISCALL HostWantGravity(void* self) {
  return Host("WantGravity", 521);
}
static int32_t THISCALL HostStartBehavior(void* self, float t, void* b) {
  return Host("StartBehavior", 523);
}
static void THISCALL HostPersonaChanged(void* self) {
  Host("PersonaChanged", 0);
}
static void THISCALL HostSetFalling(void* self) {
  Host("SetFalling", 0);
}
static void THISCALL HostUpdateGoals(void* self) {
  Host("UpdateGoals", 0);
}
static Vec3* HostAdjust(const char* name, float factor, Vec3* result, const Vec3* v) {
  Host(name, 0);
  gHostResultArg = result;
  result->x = factor * v->x;
  result->y = factor * v->y;
  result->z = factor * v->z;
  return result;
}
static Vec3* THISCALL HostAdjustA(void* self, Vec3* r, const Vec3* v) {
  return HostAdjust("AdjustVectorA", 12, r, v);
}
static Vec3* THISCALL HostAdjustB(void* self, Vec3* r, const Vec3* v) {
  return HostAdjust("AdjustVectorB", 13, r, v);
}
static Vec3* THISCALL HostAdjustC(void* self, Vec3* r, const Vec3* v) {
  return HostAdjust("AdjustVectorC", 14, r, v);
}
static int32_t THISCALL HostApplyValue(void* self, int32_t v) {
  return Host("ApplyValue", 530);
}
static void THISCALL HostGetIn(void* self) {
  Host("GetIn", 0);
}
static void THISCALL HostWriteState(void* self, void* s) {
  Host("WriteState", 0);
}
static void THISCALL HostReadState(void* self, void* s) {
  Host("ReadState", 0);
}

static void* gHostBrainTable[] = {(void*)HostNull,
                                  (void*)HostNull,
                                  (void*)HostNull,
                                  (void*)HostNull,
                                  (void*)HostFlags,
                                  (void*)HostNull,
                                  (void*)HostNull,
                                  (void*)HostSetPluginCall,
                                  (void*)HostUpdate,
                                  (void*)HostPreUpdate,
                                  (void*)HostReset,
                                  (void*)HostSendParams,
                                  (void*)HostPrepareToDetach,
                                  (void*)HostPrepareToAttach,
                                  (void*)HostCanCollideWith,
                                  (void*)HostReportCollision,
                                  (void*)HostWantGravity,
                                  (void*)HostStartBehavior,
                                  (void*)HostPersonaChanged,
                                  (void*)HostSetFalling,
                                  (void*)HostUpdateGoals,
                                  (void*)HostAdjustA,
                                  (void*)HostAdjustB,
                                  (void*)HostAdjustC,
                                  (void*)HostApplyValue,
                                  (void*)HostGetIn,
                                  (void*)HostWriteState,
                                  (void*)HostReadState};

/* --- A stream (mkStream) over a small buffer ------------------------------ */
static struct {
  void** table;
  uint32_t readCount;
  uint32_t position;
} gStream;
static uint8_t gStreamBytes[16];
static uint32_t gStreamWritten, gStreamRead;
static int gStreamOther;

static uint32_t THISCALL StreamRead(void* self, uint32_t count, void* destination) {
  uint32_t n = count;
  if (n > sizeof gStreamBytes - gStreamRead) n = sizeof gStreamBytes - gStreamRead;
  memcpy(destination, gStreamBytes + gStreamRead, n);
  gStreamRead += n;
  return n;
}
static uint32_t THISCALL StreamWrite(void* self, uint32_t count, const void* source) {
  uint32_t n = count;
  if (n > sizeof gStreamBytes - gStreamWritten) n = sizeof gStreamBytes - gStreamWritten;
  memcpy(gStreamBytes + gStreamWritten, source, n);
  gStreamWritten += n;
  return 1;
}
static int32_t THISCALL StreamReadFour(void* self, void* destination) {
  return StreamRead(self, 4, destination) == 4;
}
static int32_t THISCALL StreamReadTwelve(void* self, void* destination) {
  return StreamRead(self, 12, destination) == 12;
}
static uint32_t THISCALL StreamOther0(void* self) {
  return ++gStreamOther, 0;
}
static uint32_t THISCALL StreamOther1(void* self, uint32_t a) {
  return ++gStreamOther, 0;
}
static uint32_t THISCALL StreamOther2(void* self, uint32_t a, uint32_t b) {
  return ++gStreamOther, 0;
}
static void* gStreamTable[] = {
    (void*)StreamOther1,     /* 0 Destroy */ (void*)StreamOther2,      /* 1 Open */
    (void*)StreamOther0,     /* 2 Close */ (void*)StreamOther0,        /* 3 AtEnd */
    (void*)StreamRead,       /* 4 Read */ (void*)StreamWrite,          /* 5 Write */
    (void*)StreamOther1,     /* 6 Skip */ (void*)StreamOther0,         /* 7 Rewind */
    (void*)StreamOther0,     /* 8 FastFwd */ (void*)StreamOther0,      /* 9 GetPosition */
    (void*)StreamOther1,     /* 10 SetPosition */ (void*)StreamOther0, /* 11 Truncate */
    (void*)StreamOther0,     /* 12 ReadByte */ (void*)StreamReadFour,  /* 13 ReadFour */
    (void*)StreamReadTwelve, /* 14 ReadTwelve */ (void*)StreamOther0,  /* 15 GetEOF */
    (void*)StreamOther1,     /* 16 CopyToMem */ (void*)StreamOther0,   /* 17 */
    (void*)StreamOther2,     /* 18 Seek */ (void*)StreamOther0,        /* 19 */
};

/* --- Checks of every object ----------------------------------------------- */
enum Kind { kCommand, kBrain, kBrainClass };

static void CheckBaseLayers(const char* name, PluginObject* o, enum Kind kind) {
  CheckInt(name, "reference count at offset 4 is 1", o->refCount, 1);
  CheckInt(name, "state record at offset 8 is null", (long)(intptr_t)o->stateRecord, 0);
  CheckInt(name, "keyed value at offset 12 is 0", o->stateValue, 0);
  CheckInt(name, "current key at offset 16 is null", (long)(intptr_t)o->currentKey, 0);
  CheckInt(name, "earlier keys at offset 20 are empty",
           o->earlierCount + o->earlierCapacity + (long)(intptr_t)o->earlierKeys, 0);
  CheckInt(name, "scene interface at offset 28 is null", (long)(intptr_t)o->sceneApi, 0);
  if (kind == kBrain) {
    CheckInt(name, "host brain at offset 32 is null", (long)(intptr_t)o->hostBrain, 0);
  }

  CALL(name, o, 2); /* AddReference */
  CheckInt(name, "AddReference counts 2", o->refCount, 2);
  CALL(name, o, 1); /* ReleaseReference */
  CheckInt(name, "ReleaseReference counts 1", o->refCount, 1);
  CALL(name, o, 3, 7);
  CALL(name, o, 5, 7);
  CALL(name, o, 6, 7);
  CALL(name, o, 8, 7);
  CALL(name, o, 9, 7, 8);
  CheckInt(name, "slot 10 returns its argument", (long)CALL(name, o, 10, 0x1234), 0x1234);
  CALL(name, o, 11);
}

static void CheckState(const char* name, PluginObject* o, enum Kind kind) {
  memset(gStreamBytes, 0, sizeof gStreamBytes);
  gStreamWritten = gStreamRead = 0;
  gHostLast = NULL;
  CALL(name, o, 4, (uint32_t)(uintptr_t)&gStream); /* WriteState */
  if (kind == kCommand) {
    CheckInt(name, "WriteState writes nothing", (long)gStreamWritten, 0);
  } else if (kind == kBrainClass) {
    CheckInt(name, "WriteState writes the keyed value's 4 bytes", (long)gStreamWritten, 4);
  } else {
    Check(gHostLast && strcmp(gHostLast, "WriteState") == 0 && gHostAnnounced,
          "WriteState passes on to the host brain", name, "");
  }
  gStreamBytes[0] = 5;
  CALL(name, o, 7, (uint32_t)(uintptr_t)&gStream); /* ReadState */
  if (kind == kBrainClass) {
    CheckInt(name, "ReadState reads the keyed value", o->stateValue, 5);
    o->stateValue = 0;
  } else if (kind == kBrain) {
    Check(gHostLast && strcmp(gHostLast, "ReadState") == 0 && gHostAnnounced,
          "ReadState passes on to the host brain", name, "");
  }
}

static void CheckCommand(const char* name, PluginObject* o) {
  CheckBaseLayers(name, o, kCommand);
  CheckState(name, o, kCommand);
  CALL(name, o, 12, (uint32_t)(uintptr_t)&gScene);
  CheckInt(name, "SetSceneApi stores the interface at offset 28", (long)(intptr_t)o->sceneApi,
           (long)(intptr_t)&gScene);
  CALL(name, o, 13, 1, 2, 3, 4, 5);
  CALL(name, o, 14);
  CALL(name, o, 15, 1, 2, 3, 4, 5, 6);
  CALL(name, o, 16, 1, 2, 3, 4, 5, 6);
  /* Run without arguments: every command answers with a line of its own. */
  static const char* argv[] = {NULL};
  gLastWarning[0] = 0;
  const uint32_t result = CALL(name, o, 17, 0, (uint32_t)(uintptr_t)argv, 0, 0, 0);
  char detail[340];
  snprintf(detail, sizeof detail, "returned %u, said \"%s\"", result, gLastWarning);
  Check(result <= 1, "Run returns a just-one-frame flag", name, detail);
}

/* One vector slot in MSVC's order, then the control call in GCC's order. A
 * slot that passes on must deliver the host brain's answer (the vector times
 * slot - 15); a brain's own slot must fill and return the caller's buffer. */
static void CheckVectorSlot(const char* name, PluginObject* o, int slot) {
  typedef Vec3*(THISCALL * MsvcVectorSlot)(void* self, Vec3* result, const Vec3* vector);
  const Vec3 vector = {1, 2, 3};
  char what[96];
  Vec3 result = {-7, -7, -7};
  gHostLast = NULL;

  MsvcVectorSlot call = (MsvcVectorSlot)Slot(o, slot);
  Vec3* returned = call(o, &result, &vector);
  const int passedOn = gHostLast != NULL;
  Vec3 expected = result;
  if (passedOn) {
    const float factor = (float)(slot - 15);
    expected.x = factor * vector.x;
    expected.y = factor * vector.y;
    expected.z = factor * vector.z;
    snprintf(what, sizeof what, "slot %d passes on after SetPluginCall(1)", slot);
    Check(gHostAnnounced, what, name, "");
  }
  snprintf(what, sizeof what, "slot %d (MSVC order) fills and returns the caller's buffer", slot);
  char detail[96];
  snprintf(detail, sizeof detail, "(%g, %g, %g)", result.x, result.y, result.z);
  Check(returned == &result && result.x != -7 && result.x == expected.x && result.y == expected.y &&
            result.z == expected.z,
        what, name, detail);
  RawResult r;
  const uint32_t args[] = {(uint32_t)(uintptr_t)&result, (uint32_t)(uintptr_t)&vector};
  RawThiscall(Slot(o, slot), o, args, 2, &r);
  snprintf(what, sizeof what, "slot %d pops 8 bytes", slot);
  CheckInt(name, what, r.popped, 8);

  /* Control: GCC's by-value order (the result pointer in ECX, the object on
   * the stack), on copies of the object, so that whichever of the two the
   * slot takes for itself is a copy. */
  union {
    PluginObject object;
    uint8_t bytes[64];
  } inEcx, onStack;
  memset(&inEcx, 0, sizeof inEcx);
  memcpy(&inEcx, o, sizeof(PluginObject));
  onStack = inEcx;
  const uint32_t gccArgs[] = {(uint32_t)(uintptr_t)&onStack, (uint32_t)(uintptr_t)&vector};
  RawThiscall(Slot(o, slot), &inEcx, gccArgs, 2, &r);
  Vec3 got;
  memcpy(&got, &inEcx, sizeof got);
  const int delivered = (uintptr_t)r.eax == (uintptr_t)&inEcx && got.x == expected.x &&
                        got.y == expected.y && got.z == expected.z;
  snprintf(what, sizeof what, "slot %d does not answer a call in GCC's order (control)", slot);
  Check(!delivered && r.popped == 8, what, name, "");
}

/* An exported brain (made == 0) or one that a brain class made, which holds
 * the class's scene interface already. */
static void CheckBrain(const char* name, PluginObject* o, int made) {
  if (made) {
    CheckInt(name, "a made brain counts 1", o->refCount, 1);
    CheckInt(name, "a made brain holds the class's scene interface", (long)(intptr_t)o->sceneApi,
             (long)(intptr_t)&gScene);
  } else {
    CheckBaseLayers(name, o, kBrain);
  }
  /* The engine attaches a brain by writing the two fields. */
  o->sceneApi = &gScene;
  o->hostBrain = &gHostBrain;
  CheckState(name, o, kBrain);
  const uint32_t type = CALL(name, o, 12);
  Check(type == 300 || type == 302 || type == 303, "GetType is 300, 302 or 303", name, "");
  const char* brainName = (const char*)(uintptr_t)CALL(name, o, 22);
  Check(brainName != NULL && brainName[0] != 0, "GetName names the brain", name, "");
  const int probe = strcmp(name, "ProbeBrain") == 0;
  if (probe) {
    /* The probe implements nothing: every slot passes on. */
    static const char* argv[] = {"p", NULL};
    static const struct {
      int slot;
      const char* op;
      int count;
      uint32_t a, b;
      long answer;
    } rows[] = {
        {13, "Update", 1, 0, 0, 513},
        {14, "PreUpdate", 1, 0, 0, 514},
        {15, "Reset", 0, 0, 0, 515},
        {16, "SendParams", 2, 1, 0, 516},
        {17, "PrepareToDetach", 0, 0, 0, 517},
        {18, "PrepareToAttach", 1, 4, 0, 518},
        {19, "CanCollideWith", 1, 0, 0, 519},
        {20, "ReportCollision", 2, 0, 0, 520},
        {21, "WantGravity", 0, 0, 0, 521},
        {23, "StartBehavior", 2, 0, 0, 523},
        {24, "PersonaChanged", 0, 0, 0, -1},
        {25, "SetFalling", 0, 0, 0, -1},
        {26, "UpdateGoals", 0, 0, 0, -1},
        {30, "ApplyValue", 1, 4, 0, 530},
        {31, "GetIn", 0, 0, 0, -1},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
      uint32_t args[2] = {rows[i].a, rows[i].b};
      if (rows[i].slot == 13 || rows[i].slot == 14 || rows[i].slot == 23) {
        args[0] = FloatBits(0.5f);
      }
      if (rows[i].slot == 16) args[1] = (uint32_t)(uintptr_t)argv;
      gHostLast = NULL;
      const uint32_t result = CallChecked(name, o, rows[i].slot, args, rows[i].count);
      char what[96];
      snprintf(what, sizeof what, "slot %d passes on to %s after SetPluginCall(1)", rows[i].slot,
               rows[i].op);
      Check(gHostLast != NULL && strcmp(gHostLast, rows[i].op) == 0 && gHostAnnounced, what, name,
            "");
      if (rows[i].answer >= 0) {
        snprintf(what, sizeof what, "slot %d returns the host's answer", rows[i].slot);
        CheckInt(name, what, (long)result, rows[i].answer);
      }
    }
  }
  for (int slot = 27; slot <= 29; ++slot) CheckVectorSlot(name, o, slot);
  CheckInt(name, "slot 32 (SelfBrain) returns the brain", (long)(intptr_t)CALL(name, o, 32),
           (long)(intptr_t)o);
  o->sceneApi = made ? &gScene : NULL;
  o->hostBrain = NULL;
}

static void CheckBrainClass(const char* name, PluginObject* o) {
  CheckBaseLayers(name, o, kBrainClass);
  CheckState(name, o, kBrainClass);
  CALL(name, o, 12, (uint32_t)(uintptr_t)&gScene);
  CheckInt(name, "SetSceneApi stores the interface at offset 28", (long)(intptr_t)o->sceneApi,
           (long)(intptr_t)&gScene);
  const uint32_t kind = CALL(name, o, 13);
  Check(kind == 1 || kind == 2, "GetClassKind is 1 or 2", name, "");
  /* No brain is made yet: the parameters reach no one. */
  static const char* argv[] = {"x", NULL};
  CALL(name, o, 16, (uint32_t)(uintptr_t) "text", 1, (uint32_t)(uintptr_t)argv);
  if (kind != 2) return; /* kind 1 runs scripts: it needs files of its own */
  /* Prepare, then a brain for a pair of names; the same pair gives it again. */
  CALL(name, o, 14);
  const uint32_t names[] = {(uint32_t)(uintptr_t) "abi_check", (uint32_t)(uintptr_t) "abi_check"};
  PluginObject* brain = (PluginObject*)(uintptr_t)CallChecked(name, o, 15, names, 2);
  Check(brain != NULL, "MakeBrain makes a brain", name, "");
  if (brain == NULL) return;
  CheckInt(name, "MakeBrain gives the same brain for the same names",
           (long)(intptr_t)CallChecked(name, o, 15, names, 2), (long)(intptr_t)brain);
  char brainName[96];
  snprintf(brainName, sizeof brainName, "%s's brain", name);
  CheckBrain(brainName, brain, 1);
}

/* ScriptXcmd without a Python runtime (none in the Wine prefix): every
 * command and the brain class say exactly one warning that names what was
 * searched, and no brain is made. The calls and their lines are printed. */
static const char kNoRuntime[] = "Python: no Python 3 runtime found (searched ";
static const char kScriptsOff[] = "); scripts are off";

static void CheckNoRuntimeCall(const char* name, const char* call, uint32_t result, long expected,
                               int once) {
  char what[160];
  const size_t length = strlen(gWarning);
  const int said = (once ? gWarnings == 1 : gWarnings >= 1) &&
                   strncmp(gWarning, kNoRuntime, sizeof kNoRuntime - 1) == 0 &&
                   length > sizeof kNoRuntime - 1 + sizeof kScriptsOff - 1 &&
                   strcmp(gWarning + length - (sizeof kScriptsOff - 1), kScriptsOff) == 0;
  printf("     %s: %s returned %u, %d warning(s), last \"%s\"\n", name, call, result, gWarnings,
         gWarning);
  snprintf(what, sizeof what, "%s without Python warns %sthat scripts are off", call,
           once ? "once " : "");
  Check(said, what, name, "");
  if (expected >= 0) {
    snprintf(what, sizeof what, "%s returns %ld", call, expected);
    CheckInt(name, what, (long)result, expected);
  }
}

static void CheckScriptWithoutPython(HMODULE dll) {
  static const struct {
    const char* name;
    const char* call;
    int32_t count;
    const char* args[3];
  } commands[] = {
      {"Python", "Run(hello.py, fast)", 2, {"hello.py", "fast", NULL}},
      {"Python", "Run(hello.py) again", 1, {"hello.py", NULL}},
      {"PythonBrain", "Run(Zovezi.1, guard.py)", 2, {"Zovezi.1", "guard.py", NULL}},
      {"BrainParams", "Run(Zovezi.1, loud)", 2, {"Zovezi.1", "loud", NULL}},
  };
  for (size_t i = 0; i < sizeof commands / sizeof commands[0]; ++i) {
    PluginObject* o = (PluginObject*)(void*)GetProcAddress(dll, commands[i].name);
    if (o == NULL) continue;
    CALL(commands[i].name, o, 12, (uint32_t)(uintptr_t)&gScene);
    gWarnings = 0;
    gWarning[0] = 0;
    const uint32_t result = CALL(commands[i].name, o, 17, (uint32_t)commands[i].count,
                                 (uint32_t)(uintptr_t)commands[i].args, 0, 0, 0);
    CheckNoRuntimeCall(commands[i].name, commands[i].call, result, 1, 1);
  }
  PluginObject* mgr = (PluginObject*)(void*)GetProcAddress(dll, "PythonMgr");
  if (mgr == NULL) return;
  CALL("PythonMgr", mgr, 12, (uint32_t)(uintptr_t)&gScene);
  gWarnings = 0;
  gWarning[0] = 0;
  CALL("PythonMgr", mgr, 14); /* Prepare */
  const uint32_t brain = CALL("PythonMgr", mgr, 15, (uint32_t)(uintptr_t) "guard.py",
                              (uint32_t)(uintptr_t) "Zovezi.1"); /* MakeBrain */
  CheckNoRuntimeCall("PythonMgr", "Prepare and MakeBrain(guard.py, Zovezi.1)", brain, 0, 0);
  static const char* params[] = {"loud", NULL};
  gWarnings = 0;
  CALL("PythonMgr", mgr, 16, (uint32_t)(uintptr_t) "guard.py", 1, (uint32_t)(uintptr_t)params);
  CheckInt("PythonMgr", "SendClassParams without brains says nothing", gWarnings, 0);
}

typedef const char** (*IdentFunction)(void);
typedef int32_t (*VersionFunction)(void);

static void CheckVersion(HMODULE dll, const char* plugin, const char* export, int32_t expected) {
  VersionFunction f = (VersionFunction)(void*)GetProcAddress(dll, export);
  Check(f != NULL, "exports a version function", plugin, export);
  if (f != NULL) CheckInt(plugin, export, f(), expected);
}

static void CheckList(HMODULE dll, const char* plugin, const char* export, enum Kind kind) {
  IdentFunction ident = (IdentFunction)(void*)GetProcAddress(dll, export);
  if (ident == NULL) return;
  const char** names = ident();
  Check(names != NULL && names == ident(), "the name list is one constant array", plugin, export);
  for (; names != NULL && *names != NULL; ++names) {
    PluginObject* o = (PluginObject*)(void*)GetProcAddress(dll, *names);
    Check(o != NULL, "the listed name is an exported object", *names, plugin);
    if (o == NULL) continue;
    if (kind == kCommand) CheckCommand(*names, o);
    if (kind == kBrain) CheckBrain(*names, o, 0);
    if (kind == kBrainClass) CheckBrainClass(*names, o);
  }
}

int main(int argc, char** argv) {
  setvbuf(stdout, NULL, _IONBF, 0);
  if (argc != 2) {
    fprintf(stderr, "usage: abi_check PLUGIN.dll\n");
    return 2;
  }
  InitScene();
  gHostBrain.table = gHostBrainTable;
  gStream.table = gStreamTable;
  const char* plugin = argv[1];
  HMODULE dll = LoadLibraryA(plugin);
  if (dll == NULL) {
    printf("FAIL %s: cannot be loaded (error %lu)\n", plugin, (unsigned long)GetLastError());
    return 1;
  }
  Check(GetProcAddress(dll, "XCmdIdentDLL") != NULL, "exports XCmdIdentDLL", plugin, "");
  CheckVersion(dll, plugin, "XCmdMajorVersionDll", 2);
  CheckVersion(dll, plugin, "XCmdMinorVersionDll", 27);
  if (GetProcAddress(dll, "BrainIdentDLL") || GetProcAddress(dll, "BrainClassIdentDLL")) {
    CheckVersion(dll, plugin, "BrainMajorVersionDll", 2);
    CheckVersion(dll, plugin, "BrainMinorVersionDll", 27);
  }
  CheckList(dll, plugin, "XCmdIdentDLL", kCommand);
  CheckList(dll, plugin, "BrainIdentDLL", kBrain);
  CheckList(dll, plugin, "BrainClassIdentDLL", kBrainClass);
  if (GetProcAddress(dll, "PythonMgr") != NULL) CheckScriptWithoutPython(dll);
  FreeLibrary(dll);
  printf("%s: %d checks, %d failed\n", plugin, gChecks, gFailures);
  return gFailures > 125 ? 125 : gFailures;
}
