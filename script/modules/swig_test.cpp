// The script module conventions on their own: pointer strings, the
// equivalence tables of the seven modules, the live-object register, list
// arguments and module creation, in an interpreter of the test's own.
#include "script/modules/swig.h"
#include "script/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/modules/modules.h"
#include "script/platform.h"
#include "script/python_runtime.h"

namespace {

using script::EncodePointer;
using script::PointerString;
using script::TypeTable;

class PythonEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // Through the plug-in's own loader and table.
    const script::PythonRuntime& runtime = script::LoadPythonRuntime();
    ASSERT_TRUE(runtime.loaded) << runtime.searched;
    static const std::wstring home = script::RuntimePath(runtime.home);
    Py_SetPythonHome(home.c_str());
    Py_InitializeEx(0);
    for (int i = 0; i < script::kModuleCount; ++i)
      ASSERT_TRUE(script::Modules()[i]->Create()) << script::Modules()[i]->name();
  }
  void TearDown() override { Py_FinalizeEx(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PythonEnvironment);

// Runs `text` in __main__; 0, or -1 with the error printed.
int RunText(const char* text) {
  PyObject* globals = PyModule_GetDict(PyImport_AddModule("__main__"));
  script::PyRef code(Py_CompileString(text, "<test>", Py_file_input));
  script::PyRef result(code ? PyEval_EvalCode(code.get(), globals, globals) : nullptr);
  if (result) return 0;
  PyErr_Print();
  return -1;
}

// The text of the Python error that is set, cleared.
std::string TakeError() {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  std::string text = "(none)";
  if (value != nullptr) {
    script::PyRef str(PyObject_Str(value));
    text = script::ClassName(type) + ": " + PyUnicode_AsUTF8AndSize(str.get(), nullptr);
  }
  Py_XDECREF(type);
  Py_XDECREF(value);
  Py_XDECREF(traceback);
  return text;
}

TEST(PointerStringTest, Encode) {
  PointerString text;
  ASSERT_TRUE(EncodePointer(nullptr, "_mkPoint3_p", text));
  EXPECT_STREQ(text, "NULL");
  ASSERT_TRUE(EncodePointer(reinterpret_cast<void*>(0x12ab0), "_mkPoint3_p", text));
  EXPECT_STREQ(text, "_12ab0_mkPoint3_p");
  ASSERT_TRUE(EncodePointer(reinterpret_cast<void*>(0x1), "_egBrainDll_p", text));
  EXPECT_STREQ(text, "_1_egBrainDll_p");
  ASSERT_TRUE(EncodePointer(reinterpret_cast<void*>(~uintptr_t(0)), "_x_p", text));
  EXPECT_EQ(std::string(text), "_" + std::string(2 * sizeof(void*), 'f') + "_x_p");
  // 128 bytes hold "_" + 5 digits + a type string of 121 characters.
  const std::string fits(121, 't');
  ASSERT_TRUE(EncodePointer(reinterpret_cast<void*>(0x12ab0), fits.c_str(), text));
  EXPECT_EQ(std::strlen(text), 127u);
  EXPECT_FALSE(EncodePointer(reinterpret_cast<void*>(0x12ab0), (fits + "t").c_str(), text));
  EXPECT_STREQ(text, "");
  EXPECT_EQ(script::PointerTypeString("mkSceneObject"), "_mkSceneObject_p");
  EXPECT_EQ(script::PointerTypeString("mkGBehavior_pp"), "_mkGBehavior_pp");
  EXPECT_EQ(script::PointerTypeString("egContextMgr::Context"), "_egContextMgr::Context_p");
}

struct DecodeCase {
  const char* name;
  const char* text;
  const char* expected;  // null: any type
  uintptr_t address;
  bool accepted;
  const char* rest;
};

const DecodeCase kDecodeCases[] = {
    {"Null", "NULL", "_mkSceneObject_p", 0, true, ""},
    {"NullAnyType", "NULL", nullptr, 0, true, ""},
    {"ZeroAddress", "_0_mkSceneObject_p", "_mkSceneObject_p", 0, true, "_mkSceneObject_p"},
    {"Exact", "_12ab0_mkPoint3_p", "_mkPoint3_p", 0x12ab0, true, "_mkPoint3_p"},
    {"LeadingZeros", "_0012ab0_mkPoint3_p", "_mkPoint3_p", 0x12ab0, true, "_mkPoint3_p"},
    {"UpperCaseEndsTheNumber", "_1A_mkPoint3_p", "_mkPoint3_p", 1, false, "A_mkPoint3_p"},
    {"AnyTypeWhenNoneExpected", "_1f_whatever_p", nullptr, 0x1f, true, "_whatever_p"},
    {"Equivalent", "_12ab0_mkScalar_p", "_float_p", 0x12ab0, true, "_mkScalar_p"},
    {"EquivalentInt", "_12ab0_Int32_p", "_long_p", 0x12ab0, true, "_Int32_p"},
    {"RejectedHandsBackTheAddress", "_12ab0_Int32_p", "_mkPoint3_p", 0x12ab0, false, "_Int32_p"},
    {"NoReverseWithoutEntry", "_12ab0_long_p", "_float_p", 0x12ab0, false, "_long_p"},
    {"PointerToPointerIsAnotherType", "_12ab0_Int32_pp", "_long_p", 0x12ab0, false, "_Int32_pp"},
    {"TailMustMatch", "_12ab0_Int32_pp", "_long_pp", 0x12ab0, true, "_Int32_pp"},
    {"NotAPointerString", "mkPoint3", "_mkPoint3_p", 0, false, "mkPoint3"},
    {"Empty", "", "_mkPoint3_p", 0, false, ""},
    {"NoType", "_ff", "_mkPoint3_p", 0xff, false, ""},
    {"TooManyDigits", "_12345678123456781_mkPoint3_p", "_mkPoint3_p", 0, false, "_mkPoint3_p"},
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, AsTheTableSays) {
  const DecodeCase& c = GetParam();
  TypeTable table;
  script::RegisterScalarEquivalences(table);
  const TypeTable::Decoded d = table.Decode(c.text, c.expected);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(d.address), c.address);
  EXPECT_EQ(d.accepted, c.accepted);
  EXPECT_STREQ(d.rest, c.rest);
}

INSTANTIATE_TEST_SUITE_P(Strings, DecodeTest, ::testing::ValuesIn(kDecodeCases),
                         [](const ::testing::TestParamInfo<DecodeCase>& c) {
                           return std::string(c.param.name);
                         });

void* PlusEight(void* address) {
  return static_cast<char*>(address) + 8;
}

TEST(TypeTableTest, CacheAndConversions) {
  TypeTable table;
  table.Register("_base", "_derived", PlusEight);
  table.Register("_base", "_other");
  table.Register("_bas", "_x");
  // Uncached, then cached: both convert the address.
  auto d = table.Decode("_10_derived_p", "_base_p");
  EXPECT_TRUE(d.accepted);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(d.address), 0x18u);
  EXPECT_EQ(table.cacheHits(), 0);
  d = table.Decode("_20_derived_p", "_base_p");
  EXPECT_TRUE(d.accepted);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(d.address), 0x28u);
  EXPECT_EQ(table.cacheHits(), 1);
  // The second accepted name of the chain, without a conversion.
  d = table.Decode("_20_other_p", "_base_p");
  EXPECT_TRUE(d.accepted);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(d.address), 0x20u);
  // "_bas" is a prefix of "_base_p" too: its chain is tried after "_base".
  d = table.Decode("_30_xe_p", "_base_p");
  EXPECT_TRUE(d.accepted);
  // A new entry empties the cache.
  table.Register("_more", "_less");
  d = table.Decode("_10_derived_p", "_base_p");
  EXPECT_EQ(table.cacheHits(), 1);
  d = table.Decode("_10_derived_p", "_base_p");
  EXPECT_EQ(table.cacheHits(), 2);
  // Ten different matches wrap the eight slots without harm.
  for (int i = 0; i < 10; ++i) {
    const std::string accepted = "_t" + std::to_string(i);
    table.Register("_target", accepted.c_str());
  }
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 10; ++i)
      EXPECT_TRUE(table.Decode(("_5_t" + std::to_string(i) + "_p").c_str(), "_target_p").accepted);
  table.Release();
  EXPECT_EQ(table.size(), 0u);
  EXPECT_FALSE(table.Decode("_10_derived_p", "_base_p").accepted);
}

TEST(TypeTableTest, OverlongAcceptedNamesEndTheSearch) {
  TypeTable table;
  const std::string longName = "_" + std::string(254, 'a');
  table.Register("_long", longName.c_str());
  table.Register("_long", "_Int32");
  EXPECT_FALSE(table.Decode(("_1" + longName + "_p").c_str(), "_long_p").accepted);
  EXPECT_FALSE(table.Decode("_1_Int32_p", "_long_p").accepted);
}

struct Equivalent {
  const char* module;
  const char* expected;
  const char* received;
  bool accepted;
};

TEST(ModuleEquivalenceTest, EachModuleHasItsOwnTable) {
  const Equivalent cases[] = {
      {"SceneAPIc", "_long_p", "_1_Int32_p", true},
      {"SceneAPIc", "_mkBool_p", "_1_unsigned_int_p", true},
      {"SceneAPIc", "_int_p", "_1_mkBool_p", true},
      {"SceneAPIc", "_char_p_p", "_1_egIDString_p", true},
      {"SceneAPIc", "_mkSceneObject_p", "_1_egCharacter_p", false},
      {"mkTypesc", "_long_p", "_1_Int32_p", true},
      {"mkTypesc", "_mkBool_p", "_1_int_p", false},
      {"mkRegistryc", "_long_p", "_1_signed_long_p", true},
      {"mkRegistryc", "_long_p", "_1_Int32_p", false},
      {"ktFlocksc", "_ktFlock_p", "_1_class_ktFlock_p", true},
      {"ktFlocksc", "_class_ktVelocityVector_p", "_1_ktInfluenceVector_p", true},
      {"ktFlocksc", "_ktInfluenceVector_p", "_1_ktVelocityVector_p", false},
      {"ktFlocksc", "_ktBoid_p", "_1_ktFlock_p", false},
      {"mkUtilc", "_ktOscillator_p", "_1_class_ktVecOscillator_p", true},
      {"mkUtilc", "_ktDampOscillator_p", "_1_ktVecOscillator_p", true},
      {"mkUtilc", "_ktVecOscillator_p", "_1_ktOscillator_p", false},
      {"egBrainc", "_UInt8_p", "_1_unsigned_char_p", true},
      {"egGameControllerc", "_float_p", "_1_mkScalar_p", true},
  };
  for (const Equivalent& c : cases) {
    script::ScriptModule* module = script::FindModule(c.module);
    ASSERT_NE(module, nullptr) << c.module;
    EXPECT_EQ(module->types().Decode(c.received, c.expected).accepted, c.accepted)
        << c.module << " " << c.expected << " " << c.received;
  }
}

TEST(ModuleTest, EveryModuleIsImportableAndOnlySceneHasVariables) {
  script::PyRef main(PyImport_AddModule("__main__"));
  Py_INCREF(main.get());
  ASSERT_EQ(RunText("import SceneAPIc, mkTypesc, mkUtilc, egBrainc, egGameControllerc, "
                    "mkRegistryc, ktFlocksc\n"
                    "names = [m.__name__ for m in (SceneAPIc, mkTypesc, mkUtilc, egBrainc, "
                    "egGameControllerc, mkRegistryc, ktFlocksc) if hasattr(m, 'cvar')]\n"
                    "functions = len([n for n in dir(SceneAPIc) if n[0].isupper()])\n"),
            0);
  PyObject* dict = PyModule_GetDict(main.get());
  script::PyRef names(PyObject_Str(PyDict_GetItemString(dict, "names")));
  EXPECT_STREQ(PyUnicode_AsUTF8AndSize(names.get(), nullptr), "['SceneAPIc']");
  EXPECT_EQ(PyLong_AsLong(PyDict_GetItemString(dict, "functions")), 434);
}

int FailingConstants(PyObject*) {
  PyErr_SetString(PyExc_RuntimeError, "no constants");
  return -1;
}
PyMethodDef kNoFunctions[] = {{nullptr, nullptr, 0, nullptr}};

TEST(ModuleTest, AFailedCreationIsReportedAndPublishesNothing) {
  script::ScriptModule broken("brokenc", kNoFunctions, {}, script::RegisterScalarEquivalences,
                              FailingConstants);
  EXPECT_FALSE(broken.Create());
  EXPECT_EQ(TakeError(), "RuntimeError: no constants");
  EXPECT_EQ(PyDict_GetItemString(PyImport_GetModuleDict(), "brokenc"), nullptr);
}

TEST(LiveObjectTest, OwnedTypesNeedARegisteredObject) {
  int object = 0;
  script::live::DeclareOwnedType("_ktThing_p");
  TypeTable table;
  const auto check = [&](const char* text) {
    return script::CheckPointerArgument(table.Decode(text, "_ktThing_p"), "_ktThing_p", 2, "Use");
  };
  PointerString text;
  EncodePointer(&object, "_ktThing_p", text);
  EXPECT_FALSE(check(text));
  EXPECT_EQ(TakeError(), "TypeError: Type error in argument 2 of Use. Expected _ktThing_p.");
  script::live::Add(&object, "_ktThing_p");
  EXPECT_TRUE(check(text));
  EXPECT_FALSE(check("NULL"));  // the operation needs an object
  EXPECT_EQ(TakeError(), "TypeError: Type error in argument 2 of Use. Expected _ktThing_p.");
  EXPECT_FALSE(check("_10_ktThing_p"));  // an address never handed out
  TakeError();
  script::live::Remove(&object);
  EXPECT_FALSE(check(text));  // gone
  TakeError();
  // Types that nobody owns are the host's: an address passes once the host
  // handed it to a script under that type, and until the host says it is gone.
  const auto host = [&](const char* pointer) {
    return script::CheckPointerArgument(table.Decode(pointer, "_mkSceneObject_p"),
                                        "_mkSceneObject_p", 1, "Use");
  };
  int sceneObject = 0;
  PointerString scene;
  EncodePointer(&sceneObject, "_mkSceneObject_p", scene);
  EXPECT_FALSE(host(scene));
  EXPECT_EQ(TakeError(), "TypeError: Type error in argument 1 of Use. Expected _mkSceneObject_p.");
  script::PyRef given(script::PointerResult(&sceneObject, "_mkSceneObject_p"));
  ASSERT_TRUE(given);
  EXPECT_TRUE(host(scene));
  EXPECT_TRUE(host("NULL"));  // the host takes null objects
  EXPECT_FALSE(host("_10_mkSceneObject_p"));
  TakeError();
  script::host::Remove(&sceneObject);
  EXPECT_FALSE(host(scene));
  TakeError();
}

// A string names its object's type: an owned object passes where a base
// type is expected only when the string names the type it was registered
// with (its alias included), and a lent object is used but never made.
TEST(LiveObjectTest, StringsNameTheRegisteredType) {
  int object = 0, lent = 0;
  script::live::DeclareOwnedType("_ktBase_p");
  script::live::DeclareOwnedType("_ktDerived_p");
  TypeTable table;
  table.Register("_ktBase", "_ktDerived");
  table.Register("_ktBase", "_class_ktDerived");
  script::live::Add(&object, "_ktDerived_p");
  script::live::Add(&lent, "_ktBase_p", true);
  PointerString derived, alias, base, lentText;
  EncodePointer(&object, "_ktDerived_p", derived);
  EncodePointer(&object, "_class_ktDerived_p", alias);
  EncodePointer(&object, "_ktBase_p", base);
  EncodePointer(&lent, "_ktBase_p", lentText);
  const auto check = [&](const char* text) {
    const bool ok =
        script::CheckPointerArgument(table.Decode(text, "_ktBase_p"), "_ktBase_p", 1, "Use");
    PyErr_Clear();
    return ok;
  };
  EXPECT_TRUE(check(derived));
  EXPECT_TRUE(check(alias));
  EXPECT_FALSE(check(base));  // registered as the derived type
  EXPECT_TRUE(check(lentText));
  EXPECT_TRUE(script::live::Made(&object, "_ktDerived_p"));
  EXPECT_FALSE(script::live::Made(&lent, "_ktBase_p"));
  EXPECT_STREQ(script::live::TypeOf(&object), "_ktDerived_p");
  script::live::Remove(&object);
  script::live::Remove(&lent);
  EXPECT_FALSE(check(derived));
  EXPECT_EQ(script::live::TypeOf(&object), nullptr);
}

// The inline decoding of the usual case agrees with Decode and leaves
// everything else to it.
TEST(PointerStringTest, ExactDecodingTakesOnlyTheExpectedType) {
  void* address = nullptr;
  EXPECT_TRUE(script::DecodeExact("_12ab0_mkPoint3_p", "_mkPoint3_p", 11, 17, &address));
  EXPECT_EQ(address, reinterpret_cast<void*>(0x12ab0));
  EXPECT_TRUE(script::DecodeExact("_12ab0_mkPoint3_p", "_mkPoint3_p", 0, -1, &address));
  // A length that disagrees with the text: an embedded NUL or another type.
  EXPECT_FALSE(script::DecodeExact("_12ab0_mkPoint3_p", "_mkPoint3_p", 11, 18, &address));
  EXPECT_FALSE(script::DecodeExact("_12ab0_mkPoint3_pp", "_mkPoint3_p", 0, -1, &address));
  EXPECT_FALSE(script::DecodeExact("_1A_mkPoint3_p", "_mkPoint3_p", 0, -1, &address));
  EXPECT_FALSE(script::DecodeExact("NULL", "_mkPoint3_p", 0, -1, &address));
  EXPECT_FALSE(
      script::DecodeExact("_11112222333344445_mkPoint3_p", "_mkPoint3_p", 0, -1, &address));
}

TEST(StringListTest, ListsOfStrings) {
  script::StringList list;
  script::PyRef empty(PyList_New(0));
  ASSERT_TRUE(list.Convert(empty.get()));
  EXPECT_EQ(list.texts()[0], nullptr);

  script::PyRef many(PyList_New(40));
  for (int i = 0; i < 40; ++i) PyList_SetItem(many.get(), i, PyUnicode_FromFormat("s%d", i));
  script::StringList big;
  ASSERT_TRUE(big.Convert(many.get()));
  EXPECT_STREQ(big.texts()[39], "s39");
  EXPECT_EQ(big.texts()[40], nullptr);

  // Texts holding bytes that are not UTF-8 are re-encoded, more of them than
  // the single arguments' held texts, and each keeps its own bytes.
  constexpr int kEscaped = script::kHeldTexts + 44;
  script::PyRef escaped(PyList_New(kEscaped));
  for (int i = 0; i < kEscaped; ++i) {
    const std::string bytes = "t" + std::to_string(i) + "\xff";
    PyList_SetItem(escaped.get(), i, script::HostTextToPython(bytes.data(), bytes.size()));
  }
  script::StringList held;
  ASSERT_TRUE(held.Convert(escaped.get()));
  for (int i = 0; i < kEscaped; ++i)
    ASSERT_EQ(std::string(held.texts()[i]), "t" + std::to_string(i) + "\xff") << i;

  script::PyRef tuple(Py_BuildValue("(s)", "a"));
  EXPECT_FALSE(list.Convert(tuple.get()));
  EXPECT_EQ(TakeError(), "TypeError: not a list");
  script::PyRef mixed(Py_BuildValue("[si]", "a", 1));
  EXPECT_FALSE(list.Convert(mixed.get()));
  EXPECT_EQ(TakeError(), "TypeError: list must contain strings");
}

}  // namespace
