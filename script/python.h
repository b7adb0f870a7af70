// The one door to CPython for everything in script/: include this instead of
// <Python.h>. It compiles against the stable ABI only (Py_LIMITED_API).
#ifndef TESSERA_SCRIPT_PYTHON_H_
#define TESSERA_SCRIPT_PYTHON_H_

#define Py_LIMITED_API 0x030A0000
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#endif  // TESSERA_SCRIPT_PYTHON_H_
