#include "kit/stream/stream.h"

#include <cstring>

#if defined(_WIN32)
#include <io.h>  // _chsize, _fileno
#else
#include <unistd.h>  // ftruncate, fileno
#endif

#include "kit/ascii.h"

// --- mkStream: base behaviour of the operation table ----------------------

void* mkStream::Destroy(uint32_t flags) {
  // Only the base's own part: a subclass that reaches this slot has no
  // fields of its own to destroy (each stream kind with fields overrides it).
  this->mkStream::~mkStream();
  if (flags & 1u) ::operator delete(this);
  return this;
}
int32_t mkStream::AtEnd() {
  return 0;
}
void mkStream::FastFwd() {
  throw "FastFwd unimplemented by subclass of stream";
}
uint32_t mkStream::GetPosition() {
  return fPosition;
}
void mkStream::SetPosition(uint32_t position) {
  Rewind();
  Skip(position);
}
void mkStream::Truncate() {
  throw "Truncate unimplemented by subclass of stream";
}
uint8_t mkStream::ReadByte() {
  uint8_t byte = 0;
  Read(1, &byte);
  return byte;
}
int32_t mkStream::ReadFour(void* destination) {
  return Read(4, destination) == 4;
}
int32_t mkStream::ReadTwelve(void* destination) {
  return Read(12, destination) == 12;
}
uint32_t mkStream::GetEOF() {
  throw "GetEOF() unimplemented by subclass of stream";
}
void mkStream::CopyToMem(void* destination) {
  throw "CopyToMem unimplemented by subclass of stream";
}
int32_t mkStream::Reserved17() {
  return 0;
}
void mkStream::Seek(uint32_t position, int32_t unused) {
  SetPosition(position);
}
int32_t mkStream::Reserved19() {
  return 0;
}

// --- Typed values ----------------------------------------------------------
//
// Values are assembled from bytes rather than copied, so the file layout stays
// little-endian whatever the byte order of the machine.

namespace {

uint16_t Get16(const uint8_t* bytes) {
  return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t Get32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

void Put32(uint32_t value, uint8_t* bytes) {
  bytes[0] = uint8_t(value);
  bytes[1] = uint8_t(value >> 8);
  bytes[2] = uint8_t(value >> 16);
  bytes[3] = uint8_t(value >> 24);
}

float FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t BitsFromFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

uint16_t mkStream::Read16() {
  uint8_t bytes[2] = {0, 0};
  Read(2, bytes);
  return Get16(bytes);
}

uint32_t mkStream::Read32() {
  uint8_t bytes[4] = {0, 0, 0, 0};
  ReadFour(bytes);
  return Get32(bytes);
}

float mkStream::ReadFloat() {
  uint8_t bytes[4] = {0, 0, 0, 0};
  ReadFour(bytes);
  return FloatFromBits(Get32(bytes));
}

// The array forms read straight into the caller's array and then put each
// completely read value into the machine's byte order in place; values that
// the read did not reach keep what they held.
void mkStream::Read16(uint32_t n, uint16_t* values) {
  if (values == nullptr || n == 0 || n > UINT32_MAX / 2) return;
  const uint32_t got = Read(n * 2, values) / 2;
  const auto* bytes = reinterpret_cast<const uint8_t*>(values);
  for (uint32_t i = 0; i < got; ++i) values[i] = Get16(bytes + 2 * i);
}

void mkStream::Read32(uint32_t n, uint32_t* values) {
  if (values == nullptr || n == 0 || n > UINT32_MAX / 4) return;
  const uint32_t got = Read(n * 4, values) / 4;
  const auto* bytes = reinterpret_cast<const uint8_t*>(values);
  for (uint32_t i = 0; i < got; ++i) values[i] = Get32(bytes + 4 * i);
}

void mkStream::ReadFloat(uint32_t n, float* values) {
  if (values == nullptr || n == 0 || n > UINT32_MAX / 4) return;
  const uint32_t got = Read(n * 4, values) / 4;
  const auto* bytes = reinterpret_cast<const uint8_t*>(values);
  for (uint32_t i = 0; i < got; ++i) values[i] = FloatFromBits(Get32(bytes + 4 * i));
}

void mkStream::WriteByte(uint32_t value) {
  const uint8_t byte = uint8_t(value);
  Write(1, &byte);
}

void mkStream::WriteBool(int32_t value) {
  WriteByte(value != 0 ? 1u : 0u);
}

void mkStream::Write16(uint32_t value) {
  const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
  Write(2, bytes);
}

void mkStream::Write32(uint32_t value) {
  uint8_t bytes[4];
  Put32(value, bytes);
  Write(4, bytes);
}

void mkStream::WriteFloat(float value) {
  Write32(BitsFromFloat(value));
}

void mkStream::Write16(uint32_t n, const uint16_t* values) {
  if (values == nullptr) return;
  for (uint32_t i = 0; i < n; ++i) Write16(values[i]);
}

void mkStream::Write32(uint32_t n, const uint32_t* values) {
  if (values == nullptr) return;
  for (uint32_t i = 0; i < n; ++i) Write32(values[i]);
}

void mkStream::WriteFloat(uint32_t n, const float* values) {
  if (values == nullptr) return;
  for (uint32_t i = 0; i < n; ++i) WriteFloat(values[i]);
}

// --- Text readers ----------------------------------------------------------

namespace {

bool IsLineBreak(uint8_t byte) {
  return byte == '\r' || byte == '\n';
}

// White space of the C locale, spelled out so that no locale changes it.
bool IsTokenSeparator(uint8_t byte) {
  switch (byte) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case ',':
    case '=':
      return true;
    default:
      return false;
  }
}

// One byte; false at the end of the stream. A stream that does not know its
// end (AtEnd stays 0) ends where a read comes back empty, so the readers
// always stop.
bool NextByte(mkStream& stream, uint8_t* byte) {
  return !stream.AtEnd() && stream.Read(1, byte) == 1;
}

// The line and token reader. `isBreak` says which bytes separate lines
// (tokens); it is a template argument so that the test of each byte is
// inlined rather than called through a pointer. Blocks from "skip" to its
// matching "piks" are counted with a depth rather than read recursively, so
// deep nesting in a file cannot exhaust the stack.
template <bool (*isBreak)(uint8_t)>
int32_t ReadText(mkStream& stream, char* buffer, int32_t capacity, char comment, char lineEnd) {
  if (buffer == nullptr || capacity < 1) return 0;
  buffer[0] = '\0';
  uint64_t skipDepth = 0;
  for (;;) {
    uint8_t byte = 0;
    bool found = false;
    while (NextByte(stream, &byte)) {
      if (!isBreak(byte)) {
        found = true;
        break;
      }
    }
    // The byte that meets the end is dropped: a last line of one character
    // without a line break yields nothing. Files of the system end in a line
    // break, and their readers rely on exactly this behaviour.
    if (!found || stream.AtEnd()) {
      buffer[0] = '\0';
      return 0;
    }
    if (byte == uint8_t(comment)) {
      uint8_t skipped = 0;
      while (NextByte(stream, &skipped) && skipped != uint8_t(lineEnd)) {
      }
      continue;
    }
    int32_t stored = 0;
    if (stored < capacity - 1) buffer[stored++] = char(byte);
    while (NextByte(stream, &byte) && !isBreak(byte)) {
      if (stored < capacity - 1) buffer[stored++] = char(byte);
    }
    buffer[stored] = '\0';

    if (ktSameTextNoCase(buffer, "skip")) {
      ++skipDepth;
      continue;
    }
    if (skipDepth > 0) {
      if (ktSameTextNoCase(buffer, "piks")) --skipDepth;
      continue;
    }
    return 1;
  }
}

}  // namespace

int32_t mkStream::ReadLine(char* buffer, int32_t capacity, char comment, char lineEnd) {
  return ReadText<IsLineBreak>(*this, buffer, capacity, comment, lineEnd);
}

int32_t mkStream::ReadToken(char* buffer, int32_t capacity, char comment, char lineEnd) {
  return ReadText<IsTokenSeparator>(*this, buffer, capacity, comment, lineEnd);
}

// --- mkBufferedFileStream ----------------------------------------------------

void* mkBufferedFileStream::Destroy(uint32_t flags) {
  // This class's own destructor: a subclass overrides the slot with its own.
  this->mkBufferedFileStream::~mkBufferedFileStream();
  if (flags & 1u) ::operator delete(this);
  return this;
}

int32_t mkBufferedFileStream::Open(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return 0;
  // A second Open would otherwise lose the first file for good.
  if (fFile != nullptr) Close();
  fFile = std::fopen(path, mode);
  return fFile != nullptr;
}

int32_t mkBufferedFileStream::Close() {
  if (fFile == nullptr) return 0;
  const int result = std::fclose(fFile);
  fFile = nullptr;
  return result == 0;
}

int32_t mkBufferedFileStream::AtEnd() {
  if (fFile == nullptr) return 1;
  const int byte = std::getc(fFile);
  // A read error counts as the end too: nothing more can be read.
  if (byte == EOF) return 1;
  std::ungetc(byte, fFile);
  return 0;
}

uint32_t mkBufferedFileStream::Read(uint32_t count, void* destination) {
  fReadCount += count;
  fPosition += count;
  if (fFile == nullptr || destination == nullptr || count == 0) return 0;
  return uint32_t(std::fread(destination, 1, count, fFile));
}

uint32_t mkBufferedFileStream::Write(uint32_t count, const void* source) {
  fPosition += count;
  if (fFile == nullptr) return 0;
  if (count == 0) return 1;
  if (source == nullptr) return 0;
  return std::fwrite(source, count, 1, fFile) == 1;
}

void mkBufferedFileStream::Skip(uint32_t count) {
  fReadCount += count;
  fPosition += count;
  if (fFile == nullptr) return;
  // `long` is 32 bits on Windows: move in steps that stay positive.
  const uint32_t kStep = 0x40000000u;
  while (count > 0) {
    const uint32_t step = count < kStep ? count : kStep;
    if (std::fseek(fFile, long(step), SEEK_CUR) != 0) return;
    count -= step;
  }
}

void mkBufferedFileStream::Rewind() {
  fReadCount = 0;
  fPosition = 0;
  if (fFile != nullptr) std::rewind(fFile);
}

void mkBufferedFileStream::FastFwd() {
  if (fFile == nullptr) return;
  std::fseek(fFile, 0, SEEK_END);
  const long length = std::ftell(fFile);
  const uint32_t end = length > 0 ? uint32_t(length) : 0;
  fReadCount = end;
  fPosition = end;
}

void mkBufferedFileStream::Truncate() {
  if (fFile == nullptr) return;
  std::fflush(fFile);
  const long at = std::ftell(fFile);
  if (at < 0) return;
#if defined(_WIN32)
  _chsize(_fileno(fFile), at);
#else
  if (ftruncate(fileno(fFile), off_t(at)) != 0) return;
#endif
}

// --- mkMemoryStream ----------------------------------------------------------

mkMemoryStream::mkMemoryStream(const void* bytes, uint32_t size)
    : fBytes(static_cast<const uint8_t*>(bytes)), fSize(bytes != nullptr ? size : 0) {}

void* mkMemoryStream::Destroy(uint32_t flags) {
  this->~mkMemoryStream();
  if (flags & 1u) ::operator delete(this);
  return this;
}

int32_t mkMemoryStream::Open(const char* path, const char* mode) {
  return fBytes != nullptr;
}

int32_t mkMemoryStream::Close() {
  return fBytes != nullptr;
}

int32_t mkMemoryStream::AtEnd() {
  return fAt >= fSize;
}

uint32_t mkMemoryStream::Read(uint32_t count, void* destination) {
  fReadCount += count;
  fPosition += count;
  if (destination == nullptr) return 0;
  const uint32_t left = fSize - fAt;
  const uint32_t n = count < left ? count : left;
  // The text readers read one byte at a time: copied directly, without a
  // call to memcpy.
  if (n == 1)
    *static_cast<uint8_t*>(destination) = fBytes[fAt];
  else if (n > 0)
    std::memcpy(destination, fBytes + fAt, n);
  fAt += n;
  return n;
}

uint32_t mkMemoryStream::Write(uint32_t count, const void* source) {
  fPosition += count;
  return 0;
}

void mkMemoryStream::Skip(uint32_t count) {
  fReadCount += count;
  fPosition += count;
  const uint32_t left = fSize - fAt;
  fAt += count < left ? count : left;
}

void mkMemoryStream::Rewind() {
  fReadCount = 0;
  fPosition = 0;
  fAt = 0;
}

void mkMemoryStream::FastFwd() {
  fAt = fSize;
  fReadCount = fSize;
  fPosition = fSize;
}

void mkMemoryStream::Truncate() {}

uint32_t mkMemoryStream::GetEOF() {
  return fSize;
}

// mkStringSink ------------------------------------------------------------------

void* mkStringSink::Destroy(uint32_t flags) {
  this->~mkStringSink();
  if (flags & 1u) ::operator delete(this);
  return this;
}

int32_t mkStringSink::Open(const char*, const char*) {
  return 1;
}

int32_t mkStringSink::Close() {
  return 1;
}

uint32_t mkStringSink::Read(uint32_t, void*) {
  return 0;
}

uint32_t mkStringSink::Write(uint32_t count, const void* source) {
  fPosition += count;
  fBytes.append(static_cast<const char*>(source), count);
  return 1;
}

void mkStringSink::Skip(uint32_t) {}

void mkStringSink::Rewind() {}
