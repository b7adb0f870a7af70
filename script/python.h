// The one door to CPython for everything in script/: include this instead of
// <Python.h>.
//
// The plug-in compiles against CPython's limited API at the level of 3.10
// (the stable ABI that every CPython from 3.10 on keeps) and links against no
// Python library: every function and object of the runtime that it uses is
// looked up when the runtime is loaded (python_runtime.h) and reached through
// one table, ktPython. After this header, each of those names stands for its
// entry in the table, so code reads as ordinary C API code:
//
//   PyObject* number = PyLong_FromLong(7);   // ktPython.PyLong_FromLong(7)
//   if (number == nullptr) return PyErr_NoMemory();
//
// The header's own inline functions (Py_DECREF, PyType_HasFeature,
// PyObject_TypeCheck) call three functions by their own names; the plug-in
// defines those three, forwarding to the table (python_runtime.cpp).
//
// Nothing here may be called before LoadPythonRuntime() has succeeded.
#ifndef TESSERA_SCRIPT_PYTHON_H_
#define TESSERA_SCRIPT_PYTHON_H_

#define Py_LIMITED_API 0x030A0000
#define PY_SSIZE_T_CLEAN
#if !defined(_WIN32)
// Plain declarations: what the plug-in defines of them stays its own (the
// build hides what it does not export), and nothing binds to a library at
// link time. The Windows configuration says the same (windows/pyconfig.h).
#define PyAPI_FUNC(RTYPE) RTYPE
#define PyAPI_DATA(RTYPE) extern RTYPE
#endif
#include <Python.h>

// The runtime's functions that the plug-in calls, by their exported names
// (the _SizeT forms are what the header's macros call with PY_SSIZE_T_CLEAN).
// Every one is in the stable ABI at 3.10 or earlier.
#define SCRIPT_PYTHON_FUNCTIONS(X) \
  X(PyBytes_AsString)              \
  X(PyBytes_AsStringAndSize)       \
  X(PyCMethod_New)                 \
  X(PyDict_DelItem)                \
  X(PyDict_DelItemString)          \
  X(PyDict_GetItemString)          \
  X(PyDict_GetItemWithError)       \
  X(PyDict_SetItem)                \
  X(PyDict_SetItemString)          \
  X(PyErr_Clear)                   \
  X(PyErr_Display)                 \
  X(PyErr_ExceptionMatches)        \
  X(PyErr_Fetch)                   \
  X(PyErr_Format)                  \
  X(PyErr_NoMemory)                \
  X(PyErr_NormalizeException)      \
  X(PyErr_Occurred)                \
  X(PyErr_Print)                   \
  X(PyErr_Restore)                 \
  X(PyErr_SetString)               \
  X(PyEval_EvalCode)               \
  X(PyFloat_AsDouble)              \
  X(PyFloat_FromDouble)            \
  X(PyImport_AddModule)            \
  X(PyImport_GetModule)            \
  X(PyImport_GetModuleDict)        \
  X(PyImport_Import)               \
  X(PyImport_ImportModule)         \
  X(PyList_GetItem)                \
  X(PyList_Insert)                 \
  X(PyList_New)                    \
  X(PyList_SetItem)                \
  X(PyList_Size)                   \
  X(PyLong_AsLong)                 \
  X(PyLong_AsLongAndOverflow)      \
  X(PyLong_AsSsize_t)              \
  X(PyLong_FromLong)               \
  X(PyLong_FromSsize_t)            \
  X(PyModule_AddIntConstant)       \
  X(PyModule_AddObjectRef)         \
  X(PyModule_ExecDef)              \
  X(PyModule_FromDefAndSpec2)      \
  X(PyModule_GetDict)              \
  X(PyObject_CallFunctionObjArgs)  \
  X(PyObject_CallMethodObjArgs)    \
  X(PyObject_CallNoArgs)           \
  X(PyObject_GenericGetAttr)       \
  X(PyObject_GetAttrString)        \
  X(PyObject_SetAttrString)        \
  X(PyObject_Str)                  \
  X(PySys_GetObject)               \
  X(PySys_SetObject)               \
  X(PyTuple_GetItem)               \
  X(PyTuple_New)                   \
  X(PyTuple_SetItem)               \
  X(PyTuple_Size)                  \
  X(PyType_FromSpec)               \
  X(PyUnicode_AsEncodedString)     \
  X(PyUnicode_AsUTF8AndSize)       \
  X(PyUnicode_DecodeUTF8)          \
  X(PyUnicode_FromFormat)          \
  X(PyUnicode_FromString)          \
  X(PyUnicode_FromStringAndSize)   \
  X(PyUnicode_GetLength)           \
  X(PyUnicode_InternFromString)    \
  X(PyUnicode_IsIdentifier)        \
  X(PyUnicode_Split)               \
  X(Py_CompileString)              \
  X(Py_DecodeLocale)               \
  X(Py_FinalizeEx)                 \
  X(Py_GetVersion)                 \
  X(Py_InitializeEx)               \
  X(Py_IsInitialized)              \
  X(Py_SetPythonHome)              \
  X(_PyArg_ParseTuple_SizeT)       \
  X(_PyObject_CallMethod_SizeT)    \
  X(_PyObject_New)                 \
  X(_Py_BuildValue_SizeT)          \
  X(_Py_Dealloc)                   \
  X(PyType_GetFlags)               \
  X(PyType_IsSubtype)              \
  SCRIPT_PYTHON_WINDOWS_FUNCTIONS(X)

#if defined(_WIN32)
#define SCRIPT_PYTHON_WINDOWS_FUNCTIONS(X) \
  X(PyUnicode_DecodeCodePageStateful)      \
  X(PyUnicode_EncodeCodePage)
#else
#define SCRIPT_PYTHON_WINDOWS_FUNCTIONS(X)
#endif

// The runtime's objects that the plug-in uses: exception classes, types,
// the singletons behind Py_None, Py_True and Py_False, and the UTF-8 mode
// switch.
#define SCRIPT_PYTHON_DATA(X) \
  X(PyExc_ImportError)        \
  X(PyExc_NameError)          \
  X(PyExc_OverflowError)      \
  X(PyExc_OSError)            \
  X(PyExc_RuntimeError)       \
  X(PyExc_SyntaxError)        \
  X(PyExc_SystemExit)         \
  X(PyExc_TypeError)          \
  X(PyExc_UnicodeEncodeError) \
  X(PyExc_ValueError)         \
  X(PyExc_ZeroDivisionError)  \
  X(PyFloat_Type)             \
  X(PyLong_Type)              \
  X(PyUnicode_Type)           \
  X(_Py_FalseStruct)          \
  X(_Py_NoneStruct)           \
  X(_Py_TrueStruct)           \
  X(Py_UTF8Mode)

namespace script {

// One entry per name above: the function's address, or the object's.
// (Py_SetPythonHome is deprecated in the full API from 3.11 on, and kept in
// the stable ABI.)
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
struct ktPythonApi {
#define SCRIPT_PYTHON_ENTRY(name) decltype(&::name) name;
  SCRIPT_PYTHON_FUNCTIONS(SCRIPT_PYTHON_ENTRY)
  SCRIPT_PYTHON_DATA(SCRIPT_PYTHON_ENTRY)
#undef SCRIPT_PYTHON_ENTRY
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// Filled by LoadPythonRuntime(); all null until then.
extern ktPythonApi ktPython;

}  // namespace script

// From here on, each name is its table entry. The three that the header's
// inline functions call keep their names (python_runtime.cpp defines them).
// The loader itself sees the names as declared (SCRIPT_PYTHON_LOADER).
#if !defined(SCRIPT_PYTHON_LOADER)
#define PyBytes_AsString (script::ktPython.PyBytes_AsString)
#define PyBytes_AsStringAndSize (script::ktPython.PyBytes_AsStringAndSize)
#define PyCMethod_New (script::ktPython.PyCMethod_New)
#define PyDict_DelItem (script::ktPython.PyDict_DelItem)
#define PyDict_DelItemString (script::ktPython.PyDict_DelItemString)
#define PyDict_GetItemString (script::ktPython.PyDict_GetItemString)
#define PyDict_GetItemWithError (script::ktPython.PyDict_GetItemWithError)
#define PyDict_SetItem (script::ktPython.PyDict_SetItem)
#define PyDict_SetItemString (script::ktPython.PyDict_SetItemString)
#define PyErr_Clear (script::ktPython.PyErr_Clear)
#define PyErr_Display (script::ktPython.PyErr_Display)
#define PyErr_ExceptionMatches (script::ktPython.PyErr_ExceptionMatches)
#define PyErr_Fetch (script::ktPython.PyErr_Fetch)
#define PyErr_Format (script::ktPython.PyErr_Format)
#define PyErr_NoMemory (script::ktPython.PyErr_NoMemory)
#define PyErr_NormalizeException (script::ktPython.PyErr_NormalizeException)
#define PyErr_Occurred (script::ktPython.PyErr_Occurred)
#define PyErr_Print (script::ktPython.PyErr_Print)
#define PyErr_Restore (script::ktPython.PyErr_Restore)
#define PyErr_SetString (script::ktPython.PyErr_SetString)
#define PyEval_EvalCode (script::ktPython.PyEval_EvalCode)
#define PyFloat_AsDouble (script::ktPython.PyFloat_AsDouble)
#define PyFloat_FromDouble (script::ktPython.PyFloat_FromDouble)
#define PyImport_AddModule (script::ktPython.PyImport_AddModule)
#define PyImport_GetModule (script::ktPython.PyImport_GetModule)
#define PyImport_GetModuleDict (script::ktPython.PyImport_GetModuleDict)
#define PyImport_Import (script::ktPython.PyImport_Import)
#define PyImport_ImportModule (script::ktPython.PyImport_ImportModule)
#define PyList_GetItem (script::ktPython.PyList_GetItem)
#define PyList_Insert (script::ktPython.PyList_Insert)
#define PyList_New (script::ktPython.PyList_New)
#define PyList_SetItem (script::ktPython.PyList_SetItem)
#define PyList_Size (script::ktPython.PyList_Size)
#define PyLong_AsLong (script::ktPython.PyLong_AsLong)
#define PyLong_AsLongAndOverflow (script::ktPython.PyLong_AsLongAndOverflow)
#define PyLong_AsSsize_t (script::ktPython.PyLong_AsSsize_t)
#define PyLong_FromLong (script::ktPython.PyLong_FromLong)
#define PyLong_FromSsize_t (script::ktPython.PyLong_FromSsize_t)
#define PyModule_AddIntConstant (script::ktPython.PyModule_AddIntConstant)
#define PyModule_AddObjectRef (script::ktPython.PyModule_AddObjectRef)
#define PyModule_ExecDef (script::ktPython.PyModule_ExecDef)
#define PyModule_FromDefAndSpec2 (script::ktPython.PyModule_FromDefAndSpec2)
#define PyModule_GetDict (script::ktPython.PyModule_GetDict)
#define PyObject_CallFunctionObjArgs (script::ktPython.PyObject_CallFunctionObjArgs)
#define PyObject_CallMethodObjArgs (script::ktPython.PyObject_CallMethodObjArgs)
#define PyObject_CallNoArgs (script::ktPython.PyObject_CallNoArgs)
#define PyObject_GenericGetAttr (script::ktPython.PyObject_GenericGetAttr)
#define PyObject_GetAttrString (script::ktPython.PyObject_GetAttrString)
#define PyObject_SetAttrString (script::ktPython.PyObject_SetAttrString)
#define PyObject_Str (script::ktPython.PyObject_Str)
#define PySys_GetObject (script::ktPython.PySys_GetObject)
#define PySys_SetObject (script::ktPython.PySys_SetObject)
#define PyTuple_GetItem (script::ktPython.PyTuple_GetItem)
#define PyTuple_New (script::ktPython.PyTuple_New)
#define PyTuple_SetItem (script::ktPython.PyTuple_SetItem)
#define PyTuple_Size (script::ktPython.PyTuple_Size)
#define PyType_FromSpec (script::ktPython.PyType_FromSpec)
#define PyUnicode_AsEncodedString (script::ktPython.PyUnicode_AsEncodedString)
#define PyUnicode_AsUTF8AndSize (script::ktPython.PyUnicode_AsUTF8AndSize)
#define PyUnicode_DecodeUTF8 (script::ktPython.PyUnicode_DecodeUTF8)
#define PyUnicode_FromFormat (script::ktPython.PyUnicode_FromFormat)
#define PyUnicode_FromString (script::ktPython.PyUnicode_FromString)
#define PyUnicode_FromStringAndSize (script::ktPython.PyUnicode_FromStringAndSize)
#define PyUnicode_GetLength (script::ktPython.PyUnicode_GetLength)
#define PyUnicode_InternFromString (script::ktPython.PyUnicode_InternFromString)
#define PyUnicode_IsIdentifier (script::ktPython.PyUnicode_IsIdentifier)
#define PyUnicode_Split (script::ktPython.PyUnicode_Split)
#define Py_CompileString (script::ktPython.Py_CompileString)
#define Py_DecodeLocale (script::ktPython.Py_DecodeLocale)
#define Py_FinalizeEx (script::ktPython.Py_FinalizeEx)
#define Py_GetVersion (script::ktPython.Py_GetVersion)
#define Py_InitializeEx (script::ktPython.Py_InitializeEx)
#define Py_IsInitialized (script::ktPython.Py_IsInitialized)
#define Py_SetPythonHome (script::ktPython.Py_SetPythonHome)
#define _PyArg_ParseTuple_SizeT (script::ktPython._PyArg_ParseTuple_SizeT)
#define _PyObject_CallMethod_SizeT (script::ktPython._PyObject_CallMethod_SizeT)
#define _PyObject_New (script::ktPython._PyObject_New)
#define _Py_BuildValue_SizeT (script::ktPython._Py_BuildValue_SizeT)
#if defined(_WIN32)
#define PyUnicode_DecodeCodePageStateful (script::ktPython.PyUnicode_DecodeCodePageStateful)
#define PyUnicode_EncodeCodePage (script::ktPython.PyUnicode_EncodeCodePage)
#endif

#define PyExc_ImportError (*script::ktPython.PyExc_ImportError)
#define PyExc_NameError (*script::ktPython.PyExc_NameError)
#define PyExc_OverflowError (*script::ktPython.PyExc_OverflowError)
#define PyExc_OSError (*script::ktPython.PyExc_OSError)
#define PyExc_SyntaxError (*script::ktPython.PyExc_SyntaxError)
#define PyExc_RuntimeError (*script::ktPython.PyExc_RuntimeError)
#define PyExc_SystemExit (*script::ktPython.PyExc_SystemExit)
#define PyExc_TypeError (*script::ktPython.PyExc_TypeError)
#define PyExc_UnicodeEncodeError (*script::ktPython.PyExc_UnicodeEncodeError)
#define PyExc_ValueError (*script::ktPython.PyExc_ValueError)
#define PyExc_ZeroDivisionError (*script::ktPython.PyExc_ZeroDivisionError)
#define PyFloat_Type (*script::ktPython.PyFloat_Type)
#define PyLong_Type (*script::ktPython.PyLong_Type)
#define PyUnicode_Type (*script::ktPython.PyUnicode_Type)
#define _Py_FalseStruct (*script::ktPython._Py_FalseStruct)
#define _Py_NoneStruct (*script::ktPython._Py_NoneStruct)
#define _Py_TrueStruct (*script::ktPython._Py_TrueStruct)
#define Py_UTF8Mode (*script::ktPython.Py_UTF8Mode)
#endif  // !SCRIPT_PYTHON_LOADER

#endif  // TESSERA_SCRIPT_PYTHON_H_
