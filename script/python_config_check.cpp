// Compile-time checks that the Python configuration the plug-in is compiled
// with (Debian's on Linux, script/windows/pyconfig.h for 32-bit Windows)
// describes this compiler, and that the runtime search asks for no older
// Python than the stable ABI that the plug-in is compiled for.
#include <cstddef>
#include <cwchar>

#include "script/python.h"
#include "script/windows_search.h"

static_assert(SIZEOF_SHORT == sizeof(short) && SIZEOF_INT == sizeof(int) &&
                  SIZEOF_LONG == sizeof(long) && SIZEOF_LONG_LONG == sizeof(long long),
              "integer sizes");
static_assert(SIZEOF_FLOAT == sizeof(float) && SIZEOF_DOUBLE == sizeof(double), "float sizes");
static_assert(SIZEOF_VOID_P == sizeof(void*) && SIZEOF_SIZE_T == sizeof(size_t) &&
                  sizeof(Py_ssize_t) == sizeof(size_t),
              "pointer sizes");
static_assert(SIZEOF_WCHAR_T == sizeof(wchar_t), "wchar_t");
static_assert(script::windows::kPythonFloorMinor == ((Py_LIMITED_API >> 16) & 0xff) &&
                  (Py_LIMITED_API >> 24) == 3,
              "the oldest Python searched for is the stable ABI's version");
