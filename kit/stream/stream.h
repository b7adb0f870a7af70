// Byte streams: a sequential source and sink with a position, typed
// little-endian values, and line and token readers for text files.
//
// mkStream is the abstract interface through which the host hands streams to
// plug-in objects (WriteState, ReadState), so its slot order and its two
// counters are part of the binary interface. mkBufferedFileStream is the
// stream over a buffered runtime file used for the system's own files.
#ifndef TESSERA_KIT_STREAM_STREAM_H_
#define TESSERA_KIT_STREAM_STREAM_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "kit/config.h"

class mkStream {
 public:
  mkStream() = default;
  mkStream(const mkStream&) = delete;
  mkStream& operator=(const mkStream&) = delete;

  // Slot 0: runs the destructor; bit 0 of `flags` frees the memory too (only
  // for streams made with new). Returns this. The base runs its own
  // destructor only (there is no virtual destructor to reach a subclass's),
  // so every stream kind overrides this slot with one that runs its own.
  virtual void* Destroy(uint32_t flags);
  // Non-zero when the stream was opened with the runtime mode string `mode`.
  virtual int32_t Open(const char* path, const char* mode) = 0;
  // Non-zero when the stream was open and closed cleanly.
  virtual int32_t Close() = 0;
  // Non-zero when no byte is left to read. The base says 0.
  virtual int32_t AtEnd();
  // Reads up to `count` bytes into `destination`; returns the bytes read.
  virtual uint32_t Read(uint32_t count, void* destination) = 0;
  // Writes `count` bytes; returns non-zero when they were written.
  virtual uint32_t Write(uint32_t count, const void* source) = 0;
  virtual void Skip(uint32_t count) = 0;
  // Both counters to 0 and the stream to its start.
  virtual void Rewind() = 0;
  // Not supported by the base: throws the text "FastFwd unimplemented by
  // subclass of stream". Nothing in the system calls it on such a stream.
  virtual void FastFwd();
  virtual uint32_t GetPosition();
  // Rewind, then Skip by `position`.
  virtual void SetPosition(uint32_t position);
  // Not supported by the base: throws "Truncate unimplemented by subclass of
  // stream".
  virtual void Truncate();
  virtual uint8_t ReadByte();
  // Non-zero when all 4 (12) bytes were read into `destination`.
  virtual int32_t ReadFour(void* destination);
  virtual int32_t ReadTwelve(void* destination);
  // Not supported by the base: throws "GetEOF() unimplemented by subclass of
  // stream".
  virtual uint32_t GetEOF();
  // Not supported by the base: throws "CopyToMem unimplemented by subclass of
  // stream".
  virtual void CopyToMem(void* destination);
  virtual int32_t Reserved17();
  // SetPosition(position); the second value is not used.
  virtual void Seek(uint32_t position, int32_t unused);
  virtual int32_t Reserved19();

  // Typed values, little-endian. A short read returns whatever the
  // destination then holds; nothing is reported.
  uint16_t Read16();
  uint32_t Read32();
  float ReadFloat();
  // Array forms: n values in one Read.
  void Read16(uint32_t n, uint16_t* values);
  void Read32(uint32_t n, uint32_t* values);
  void ReadFloat(uint32_t n, float* values);
  void WriteByte(uint32_t value);
  void WriteBool(int32_t value);
  void Write16(uint32_t value);
  void Write32(uint32_t value);
  void WriteFloat(float value);
  // Array forms: the values one by one.
  void Write16(uint32_t n, const uint16_t* values);
  void Write32(uint32_t n, const uint32_t* values);
  void WriteFloat(uint32_t n, const float* values);

  // Text readers. Store the next line (token) into `buffer`, which holds
  // `capacity` bytes including the terminating zero; the rest of a longer
  // line is read and dropped (capacity 256 keeps 255 characters). Carriage
  // returns and line feeds separate lines, so empty lines are skipped; a
  // line starting with `comment` is skipped to the next `lineEnd` byte, while
  // a `comment` later in a line stays in it. Blocks from a "skip" line to its
  // matching "piks" line (any letter case, nested) are skipped; a "piks"
  // outside a block is an ordinary line.
  //
  // Returns non-zero when a line was stored, 0 at the end of the stream with
  // `buffer` emptied; the end inside a skip block is the end too. The byte
  // that meets the end is dropped, so a last line of a single character
  // without a line break yields no line. A null buffer or a capacity below 1
  // stores nothing and returns 0. Reads stop where AtEnd says so or where a
  // read comes back empty.
  int32_t ReadLine(char* buffer, int32_t capacity, char comment, char lineEnd);
  // As ReadLine, with white space, ',' and '=' as the separators instead of
  // the line breaks.
  int32_t ReadToken(char* buffer, int32_t capacity, char comment, char lineEnd);

  uint32_t fReadCount = 0;  // bytes requested by reads and skips since the last rewind
  uint32_t fPosition = 0;   // bytes requested by reads, writes and skips since the last rewind

 protected:
  ~mkStream() = default;
};

// A stream over the runtime's buffered file I/O. The counters track requested
// bytes, not transferred ones: Read and Skip add their count to both, Write
// to fPosition only; Rewind and FastFwd set both to the file position.
// Every operation on a stream without an open file does nothing and reports
// failure (AtEnd reports the end).
class mkBufferedFileStream : public mkStream {
 public:
  mkBufferedFileStream() = default;
  // Does not close the file: the owner calls Close first.
  ~mkBufferedFileStream() = default;

  void* Destroy(uint32_t flags) override;
  // Opens `path` with the runtime mode string `mode` ("rb", "wb", ...); an
  // open file is closed first. The counters are not changed.
  int32_t Open(const char* path, const char* mode) override;
  // 0 when no file was open.
  int32_t Close() override;
  // Peeks one byte; a read error counts as the end.
  int32_t AtEnd() override;
  // Returns the bytes actually read; the counters advance by `count`.
  uint32_t Read(uint32_t count, void* destination) override;
  // Writes the bytes as one item: non-zero when all were written.
  uint32_t Write(uint32_t count, const void* source) override;
  void Skip(uint32_t count) override;
  void Rewind() override;
  // To the end of the file; both counters become its length.
  void FastFwd() override;
  // Cuts the file at the current file position.
  void Truncate() override;

  std::FILE* fFile = nullptr;  // null while closed
};

// A read-only stream over bytes in memory that the caller owns and keeps
// alive: the readers of the system's files take their input from memory
// through it (the fuzz targets do so, and a file read whole can be parsed
// the same way). The counters follow the file stream's rules: Read and Skip
// add the requested count to both. Writes write nothing and fail; Open,
// Close, FastFwd and Truncate do nothing (Open and Close report success when
// there are bytes).
class mkMemoryStream final : public mkStream {
 public:
  mkMemoryStream(const void* bytes, uint32_t size);
  ~mkMemoryStream() = default;

  void* Destroy(uint32_t flags) override;
  int32_t Open(const char* path, const char* mode) override;
  int32_t Close() override;
  int32_t AtEnd() override;
  uint32_t Read(uint32_t count, void* destination) override;
  // Writes nothing: returns 0 (the position still advances by `count`).
  uint32_t Write(uint32_t count, const void* source) override;
  void Skip(uint32_t count) override;
  void Rewind() override;
  // To the end: both counters become the size.
  void FastFwd() override;
  void Truncate() override;
  uint32_t GetEOF() override;

 private:
  const uint8_t* fBytes;
  uint32_t fSize;
  uint32_t fAt = 0;  // the next byte to read, at most fSize
};

// A write-only stream that appends every write to fBytes, to build a file's
// bytes in memory (before a file is replaced, or to check what a writer
// produced). Write adds the count to the position, as the file stream does;
// it reads nothing, and Open and Close report success.
class mkStringSink final : public mkStream {
 public:
  mkStringSink() = default;
  ~mkStringSink() = default;

  void* Destroy(uint32_t flags) override;
  int32_t Open(const char* path, const char* mode) override;
  int32_t Close() override;
  uint32_t Read(uint32_t count, void* destination) override;
  uint32_t Write(uint32_t count, const void* source) override;
  void Skip(uint32_t count) override;
  void Rewind() override;

  std::string fBytes;
};

#endif  // TESSERA_KIT_STREAM_STREAM_H_
