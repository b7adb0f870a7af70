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
    PyErr_Format(PyExc_TypeError, "expected str, not %.100s", TypeNameOf(text).c_str());
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
    Py_XDECREF(gHeld[gNextHeld]);
    gHeld[gNextHeld] = bytes;
    gNextHeld = (gNextHeld + 1) % kHeldTexts;
  }
  return result;
}

const char* HostTextOf(PyObject* text, Py_ssize_t* size, PyObject** held) {
  *held = nullptr;
  if (!PyUnicode_Check(text)) {
    PyErr_Format(PyExc_TypeError, "expected str, not %.100s", TypeNameOf(text).c_str());
    return nullptr;
  }
  // Text that needs no re-encoding: the str's own UTF-8 form, cached in it
  // (on Windows only when it is ASCII, which every ANSI code page shares).
  Py_ssize_t length = 0;
  const char* own = PyUnicode_AsUTF8AndSize(text, &length);
  if (own == nullptr) {
    // Lone surrogates: escaped bytes, re-encoded below.
    if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) return nullptr;
    PyErr_Clear();
  }
#if defined(_WIN32)
  for (Py_ssize_t i = 0; own != nullptr && i < length; ++i)
    if (static_cast<unsigned char>(own[i]) >= 0x80) own = nullptr;
#endif
  if (own != nullptr) {
    if (size != nullptr) *size = length;
    return own;
  }
  PyObject* bytes = PythonToHostText(text);
  if (bytes == nullptr) return nullptr;
  *held = bytes;
  char* data = nullptr;
  if (PyBytes_AsStringAndSize(bytes, &data, &length) < 0) return nullptr;
  if (size != nullptr) *size = length;
  return data;
}

std::string ClassName(PyObject* type) {
  PyObject *pendingType, *pendingValue, *pendingTraceback;
  PyErr_Fetch(&pendingType, &pendingValue, &pendingTraceback);
  std::string name = "?";
  PyObject* text = PyObject_GetAttrString(type, "__name__");
  Py_ssize_t length = 0;
  const char* utf8 =
      text != nullptr && PyUnicode_Check(text) ? PyUnicode_AsUTF8AndSize(text, &length) : nullptr;
  if (utf8 != nullptr) name.assign(utf8, size_t(length));
  Py_XDECREF(text);
  PyErr_Restore(pendingType, pendingValue, pendingTraceback);
  return name;
}

std::string TypeNameOf(PyObject* object) {
  return ClassName(reinterpret_cast<PyObject*>(Py_TYPE(object)));
}

void ReleaseHeldTexts() {
  for (PyObject*& held : gHeld) Py_CLEAR(held);
  gNextHeld = 0;
}

}  // namespace script
