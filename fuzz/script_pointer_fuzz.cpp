// The script modules' argument conversions without a script: pointer strings
// decoded against the scalar equivalences and an owned object type (only an
// address that was handed out may pass the argument check), lists of strings
// converted for commands, and pointer results read back (which registers
// gObject as a host object of each type string). The interpreter is started
// once.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "script/modules/swig.h"
#include "script/platform.h"
#include "script/python_runtime.h"

namespace {

script::TypeTable* gTable = nullptr;
int gObject = 0;  // an object of the owned type, registered as live

const char* const kExpected[] = {
    nullptr,       "_long_p", "_Int32_p", "_float_p",         "_mkBool16_p", "_short_p",
    "_mkPoint3_p", "_int_p",  "_UInt8_p", "_unsigned_long_p", "_p",          "",
};
constexpr size_t kExpectedCount = sizeof kExpected / sizeof kExpected[0];

void CheckDecode(const char* text, const char* expected) {
  const script::TypeTable::Decoded decoded = gTable->Decode(text, expected);
  FUZZ_CHECK(decoded.rest != nullptr);
  if (!script::CheckPointerArgument(decoded, expected, 1, "Fuzz_Decode")) {
    FUZZ_CHECK(PyErr_Occurred() != nullptr);
    PyErr_Clear();
  } else {
    // The only object ever handed out is gObject: no other address passes.
    FUZZ_CHECK(decoded.address == nullptr || decoded.address == &gObject);
  }
  if (!decoded.accepted || decoded.address == nullptr) return;
  // What was accepted reads back the same after encoding.
  script::PointerString again;
  if (!script::EncodePointer(decoded.address, decoded.rest, again)) return;
  const script::TypeTable::Decoded second = gTable->Decode(again, expected);
  FUZZ_CHECK(second.accepted);
  FUZZ_CHECK(second.address == decoded.address);
}

}  // namespace

// The interpreter keeps memory of its own that the leak checker cannot see
// through (its object allocator and caches filled on first use); leaks of
// this program's own allocations are still reported.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libpython3\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // The runtime through the plug-in's own loader and table.
  const script::PythonRuntime& runtime = script::LoadPythonRuntime();
  FUZZ_CHECK(runtime.loaded);
  static const std::wstring home = script::RuntimePath(runtime.home);
  Py_SetPythonHome(home.c_str());
  Py_InitializeEx(0);
  FUZZ_CHECK(Py_IsInitialized());
  gTable = new script::TypeTable;
  script::RegisterScalarEquivalences(*gTable);
  gTable->Register("_mkPoint3", "_mkVector3");
  script::live::DeclareOwnedType("_mkPoint3_p");
  script::live::Add(&gObject, "_mkPoint3_p");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char* expected = kExpected[data[0] % kExpectedCount];
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);

  // The whole text as one pointer string (up to its first zero byte), and
  // each line as one.
  CheckDecode(rest.c_str(), expected);
  std::vector<std::string> lines;
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find('\n', start);
    if (end == std::string::npos) end = rest.size();
    lines.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  for (const std::string& line : lines) CheckDecode(line.c_str(), expected);

  // The lines as a Python list for a command's arguments; a line starting
  // with '!' becomes a number, which the conversion refuses.
  script::PyRef list(PyList_New(Py_ssize_t(lines.size())));
  FUZZ_CHECK(list);
  for (size_t i = 0; i < lines.size(); ++i) {
    PyObject* item =
        !lines[i].empty() && lines[i][0] == '!'
            ? PyLong_FromSsize_t(Py_ssize_t(lines[i].size()))
            : PyUnicode_DecodeUTF8(lines[i].data(), Py_ssize_t(lines[i].size()), "surrogateescape");
    FUZZ_CHECK(item != nullptr);
    PyList_SetItem(list.get(), Py_ssize_t(i), item);
  }
  script::StringList strings;
  if (strings.Convert(list.get())) {
    size_t count = 0;
    while (strings.texts()[count] != nullptr) ++count;
    FUZZ_CHECK(count == lines.size());
  } else {
    FUZZ_CHECK(PyErr_Occurred() != nullptr);
    PyErr_Clear();
  }

  // A pointer result reads back as itself when its type string cannot be
  // taken for more digits (the modules' type strings all begin with '_').
  const bool typeStartsClear = !lines.empty() &&
                               !std::isxdigit(static_cast<unsigned char>(lines[0][0])) &&
                               lines[0].find('\0') == std::string::npos;
  if (typeStartsClear) {
    script::PyRef result(script::PointerResult(&gObject, lines[0].c_str()));
    if (result) {
      const char* text = PyUnicode_AsUTF8AndSize(result.get(), nullptr);
      FUZZ_CHECK(text != nullptr);
      const script::TypeTable::Decoded decoded = gTable->Decode(text, lines[0].c_str());
      FUZZ_CHECK(decoded.accepted && decoded.address == &gObject);
    } else {
      PyErr_Clear();
    }
  }
  return 0;
}
