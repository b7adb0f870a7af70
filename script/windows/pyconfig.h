/* pyconfig.h for compiling ScriptXcmd for 32-bit Windows (MinGW-w64 i686)
 * against CPython's generic headers, with Py_LIMITED_API. The build copies
 * the header folder and puts this file in the copy, because Python.h includes
 * "pyconfig.h" from its own folder.
 *
 * It describes the compiler that builds the plug-in, which must agree with a
 * 32-bit CPython for Windows wherever the stable ABI shows it: the sizes of
 * the C types, the byte order of doubles, wchar_t of 2 bytes. The sizes are
 * checked against the compiler in script/windows/python_config_check.cpp.
 * Nothing here is used for building CPython itself. */
#ifndef Py_CONFIG_H
#define Py_CONFIG_H

/* The platform, as CPython's own Windows configuration names it. */
#define MS_WIN32 1
#define MS_WINDOWS 1
#define NT_THREADS 1
#define WITH_THREAD 1
#define PLATFORM "win32"
#define Py_WINVER 0x0601 /* Windows 7: SetThreadErrorMode and later */

/* The runtime is a DLL (python3.dll leading to python3XY.dll). */
#define Py_ENABLE_SHARED 1

/* Linkage. The plug-in resolves every runtime function and object at run
 * time (GetProcAddress) and links against no import library: declarations
 * are plain, neither dllimport (which would need one) nor the header's
 * default dllexport (which would export from ScriptXcmd.dll whatever of
 * them the plug-in defines itself). HAVE_DECLSPEC_DLL stays undefined for
 * the same reason. */
#define PyAPI_FUNC(RTYPE) RTYPE
#define PyAPI_DATA(RTYPE) extern RTYPE
#ifdef __cplusplus
#define PyMODINIT_FUNC extern "C" PyObject*
#else
#define PyMODINIT_FUNC PyObject*
#endif

/* Sizes of the C types, in bytes (ILP32). time_t is 4 bytes with this
 * compiler (8 in CPython's MSVC build); no function of the limited API takes
 * one. */
#define SIZEOF_SHORT 2
#define SIZEOF_INT 4
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define SIZEOF_FLOAT 4
#define SIZEOF_DOUBLE 8
#define SIZEOF_VOID_P 4
#define SIZEOF_SIZE_T 4
#define SIZEOF_UINTPTR_T 4
#define SIZEOF_TIME_T 4
#define SIZEOF_OFF_T 4
#define SIZEOF_FPOS_T 8
#define SIZEOF_PID_T 4
#define SIZEOF_WCHAR_T 2
#define SIZEOF__BOOL 1
#define SIZEOF_HKEY 4
#define LONG_BIT 32
#define WORD_BIT 32
#define PY_LONG_LONG long long
#define PY_LLONG_MIN LLONG_MIN
#define PY_LLONG_MAX LLONG_MAX
#define PY_ULLONG_MAX ULLONG_MAX
#define HAVE_SSIZE_T 1 /* MinGW's ssize_t is int, as Py_ssize_t on 32-bit Windows */

#define DOUBLE_IS_LITTLE_ENDIAN_IEEE754 1

/* Headers that the compiler offers and Python.h may include. unistd.h is
 * left out, as in CPython's Windows configuration. */
#define HAVE_STDARG_PROTOTYPES 1
#define HAVE_STDDEF_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_WCHAR_H 1
#define HAVE_ERRNO_H 1
#define HAVE_FCNTL_H 1
#define HAVE_SIGNAL_H 1
#define HAVE_PROCESS_H 1

/* Docstrings of the plug-in's own script modules are kept (PyDoc_STR). */
#define WITH_DOC_STRINGS 1

#endif /* Py_CONFIG_H */
