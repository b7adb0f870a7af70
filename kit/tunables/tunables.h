// A tunables store: named lists of numbers and strings that shape a
// plug-in's behaviour, read from a small text file over built-in defaults.
// Keys compare without regard to case; each holds an ordered list of values.
//
// A plug-in fills a store with its defaults and then reads its file over
// them, once (the creature brain does so with init/chars/hopkin.ini):
//
//   ktTunables tunables;
//   tunables.AddLine("VelocityWalk 0.1625");  // a default, appended
//   tunables.Load("init/chars/hopkin.ini");   // a missing file keeps the defaults
//   float walk = tunables.Float("VelocityWalk");
//   for (const ktTunableValue& name : tunables.List("FlockAvoiders")) ...
//
// The file holds one key per line, followed by its values:
//
//   # comment
//   VelocityWalk = 0.2
//   FlockAvoiders[] = 'Cove..WallBlocker', 'Cove..ExitBlocker'
//
// White space, ',' and '=' separate; '#' outside quotes ends the line; a
// value in single quotes is a string (it may hold separators and '#', and
// runs to the end of the line when its quote is not closed); a value with a
// decimal point is a float, any other an integer, each with at most one
// leading sign. A key line replaces all that the key held before; a key alone
// empties it. Keys compare without regard to case, and a trailing "[]" on a
// key is dropped. Lines from "skip" to the matching "piks" are ignored.
#ifndef TESSERA_KIT_TUNABLES_TUNABLES_H_
#define TESSERA_KIT_TUNABLES_TUNABLES_H_

#include <cstdint>
#include <string>
#include <vector>

// One value: an integer, a float or a string. Each answers in all three
// forms.
class ktTunableValue {
 public:
  enum Kind : int32_t { kInteger, kFloat, kString };

  static ktTunableValue Integer(int32_t value);
  static ktTunableValue Float(float value);
  static ktTunableValue String(const char* text);

  Kind kind() const { return kind_; }
  // An integer as is, a float truncated toward zero (beyond the 32-bit range
  // it stops at the range's ends; not a number gives 0), a string 0.
  int32_t AsInt() const;
  // A float as is, an integer converted, a string 0.
  float AsFloat() const;
  // The string, or null for a number.
  const char* AsString() const { return kind_ == kString ? text_.c_str() : nullptr; }

 private:
  Kind kind_ = kInteger;
  int32_t integer_ = 0;
  float float_ = 0.0f;
  std::string text_;
};

// The values of one key, in order; empty for a missing key.
struct ktTunableList {
  const ktTunableValue* first = nullptr;
  int32_t count = 0;

  const ktTunableValue* begin() const { return first; }
  const ktTunableValue* end() const { return first + count; }
};

// The store: key names (own copies, compared without regard to case) with
// their lists. A key whose list is empty is the same as a missing key.
class ktTunables {
 public:
  // Lines of the file are read into a buffer of this many bytes: a longer
  // line keeps its first kLineLimit - 1 characters and loses the rest.
  static constexpr int32_t kLineLimit = 256;

  // Reads the file at `path` over the store, line by line (see the header
  // comment). Returns false, with the store unchanged and nothing reported,
  // when the file cannot be opened.
  bool Load(const char* path);

  // The first value of `key`, or null when it has none. A null key has none.
  const ktTunableValue* Find(const char* key) const;
  // All values of `key`, in order. The list stays valid until the key is
  // next changed.
  ktTunableList List(const char* key) const;
  // The first value as a float (as an integer), 0 when there is none.
  float Float(const char* key) const;
  int32_t Int(const char* key) const;

  // Appends `value` to the key's list, making the key when needed.
  void Add(const char* key, ktTunableValue value);
  // Appends the values of `line`, written as a line of the file, to its key
  // (without emptying the key first, unlike a line read by Load). A line
  // without a token adds nothing.
  void AddLine(const char* line);
  // Empties the key's list; the key stays known.
  void Remove(const char* key);
  // Forgets every key.
  void Clear();

 private:
  struct Entry {
    std::string key;
    std::vector<ktTunableValue> values;
  };
  const Entry* FindEntry(const char* key) const;
  // The entry of `key`, made (empty) when there is none.
  Entry* MakeEntry(const char* key);
  // Applies one line of the file (at most kLineLimit - 1 characters).
  void ApplyLine(const char* line);

  std::vector<Entry> entries_;
};

#endif  // TESSERA_KIT_TUNABLES_TUNABLES_H_
