#include "script/text.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace script {

namespace {

// Re-encoded texts that HostTextOf handed out, the oldest replaced first.
PyObject* gHeld[kHeldTexts] = {};
int gNextHeld = 0;

}  // namespace

PyObject* HostTextToPython(const char* text) {
  return HostTextToPython(text != nullptr ? text : "", text != nullptr ? std::strlen(text) : 0);
}

PyObject* HostTextToPython(const char* text, size_t length) {
#if defined(_WIN32)
  return PyUnicode_DecodeCodePageStateful(CP_ACP, text, Py_ssize_t(length), "surrogateescape",
                                          nullptr);
#else
  return PyUnicode_DecodeUTF8(text, Py_ssize_t(length), "surrogateescape");
#endif
}

PyObject* PythonToHostText(PyObject* text) {
  if (!PyUnicode_Check(text)) {
    PyErr_Format(PyExc_TypeError, "expected str, not %.100s", Py_TYPE(text)->tp_name);
    return nullptr;
  }
#if defined(_WIN32)
  return PyUnicode_EncodeCodePage(CP_ACP, text, "surrogateescape");
#else
  return PyUnicode_AsEncodedString(text, "utf-8", "surrogateescape");
#endif
}

const char* HostTextOf(PyObject* text, Py_ssize_t* size) {
  PyObject* bytes = nullptr;
  const char* result = HostTextOf(text, size, &bytes);
  if (bytes != nullptr) {
    Py_XSETREF(gHeld[gNextHeld], bytes);
    gNextHeld = (gNextHeld + 1) % kHeldTexts;
  }
  return result;
}

const char* HostTextOf(PyObject* text, Py_ssize_t* size, PyObject** held) {
  *held = nullptr;
  if (!PyUnicode_Check(text)) {
    PyErr_Format(PyExc_TypeError, "expected str, not %.100s", Py_TYPE(text)->tp_name);
    return nullptr;
  }
  // Text that needs no re-encoding: the str's own UTF-8 form, cached in it.
#if defined(_WIN32)
  const bool own = PyUnicode_IS_ASCII(text);
#else
  const bool own = true;
#endif
  if (own) {
    const char* bytes = PyUnicode_AsUTF8AndSize(text, size);
    if (bytes != nullptr) return bytes;
    // Lone surrogates: escaped bytes, re-encoded below.
    if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) return nullptr;
    PyErr_Clear();
  }
  PyObject* bytes = PythonToHostText(text);
  if (bytes == nullptr) return nullptr;
  *held = bytes;
  if (size != nullptr) *size = PyBytes_GET_SIZE(bytes);
  return PyBytes_AS_STRING(bytes);
}

void ReleaseHeldTexts() {
  for (PyObject*& held : gHeld) Py_CLEAR(held);
  gNextHeld = 0;
}

}  // namespace script
