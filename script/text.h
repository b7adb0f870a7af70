// Host text and Python str, both ways: the one place where text crosses
// between the host (command arguments, brain parameters, object and module
// names, results of scene operations) and Python (sys.argv, str arguments
// and results, printed output).
//
// Host text is in the host's text encoding: UTF-8 on Linux (the interpreter
// runs in UTF-8 mode), the ANSI code page on Windows. Bytes that are not
// valid in that encoding become lone surrogates in Python
// ("surrogateescape") and turn back into the same bytes, so a name that a
// script got from the host finds the same object again:
//
//   PyObject* name = HostTextToPython(argv[1]);      // str, new reference
//   PyObject* bytes = PythonToHostText(name);        // bytes, new reference
//   // PyBytes_AS_STRING(bytes) holds exactly argv[1]'s bytes.
#ifndef TESSERA_SCRIPT_TEXT_H_
#define TESSERA_SCRIPT_TEXT_H_

#include "script/python.h"

#include <cstddef>
#include <string>

namespace script {

// A new str from host text (null is taken as ""); null with a Python
// exception set only when memory runs out.
PyObject* HostTextToPython(const char* text);
PyObject* HostTextToPython(const char* text, size_t length);

// A new bytes object holding the host text of the str `text`; null with a
// Python exception set when `text` is not a str or cannot be represented (a
// character that the ANSI code page lacks, on Windows).
PyObject* PythonToHostText(PyObject* text);

// The host text of the str `text`, for a script function's argument, with
// its length in `size` (may be null). The text stays valid while `text`
// lives, or, for a str that had to be re-encoded (one holding escaped bytes,
// or non-ASCII text on Windows), until kHeldTexts more such conversions:
// more than any one call converts unless it takes a longer list of such
// texts. Null with a Python exception set, as PythonToHostText.
constexpr int kHeldTexts = 256;
const char* HostTextOf(PyObject* text, Py_ssize_t* size);

// The same, but a text that had to be re-encoded is handed to the caller in
// `*held` (a new reference, to be released once the text is no longer used;
// null when nothing was re-encoded) instead of being held here: for lists,
// which may hold any number of such texts.
const char* HostTextOf(PyObject* text, Py_ssize_t* size, PyObject** held);

// The name of a class (its __name__, "?" when it has none), and of an
// object's type ("int", "NoneType", "Walker"): for messages. A pending Python
// exception stays as it was.
std::string ClassName(PyObject* type);
std::string TypeNameOf(PyObject* object);

// Drops the texts that HostTextOf holds (before the interpreter ends).
void ReleaseHeldTexts();

}  // namespace script

#endif  // TESSERA_SCRIPT_TEXT_H_
