// Storage for the model's entities that plug-ins hold handles to, made so
// that a handle is checked without hashing and without reading through it:
// entries live in a few blocks that never move (each block twice the size of
// the one before), and a handle is one of the pool's entries when its address
// is the start of a used entry of some block. A checking look-up therefore
// compares addresses against one range per block (6 blocks hold 4,000
// entries) and never dereferences a stale or forged pointer.
#ifndef TESSERA_STAGE_HANDLE_POOL_H_
#define TESSERA_STAGE_HANDLE_POOL_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace stage {

template <class T>
class HandlePool {
 public:
  static constexpr size_t kFirstBlock = 64;

  // A new default-made entry; its address never changes while the pool lives.
  T* Add() {
    if (blocks_.empty() || blocks_.back().used == blocks_.back().capacity) {
      const size_t capacity = blocks_.empty() ? kFirstBlock : blocks_.back().capacity * 2;
      Block block;
      block.items.reset(new T[capacity]());
      block.capacity = capacity;
      block.first = size_;
      block.begin = reinterpret_cast<uintptr_t>(block.items.get());
      blocks_.push_back(std::move(block));
    }
    Block& block = blocks_.back();
    ++size_;
    return &block.items[block.used++];
  }

  // The entry's number (the order of adding), or -1 when `handle` is not
  // the address of one of the pool's entries.
  std::ptrdiff_t IndexOf(const void* handle) const {
    const auto address = reinterpret_cast<uintptr_t>(handle);
    for (const Block& block : blocks_) {
      if (address < block.begin) continue;
      const uintptr_t offset = address - block.begin;
      if (offset >= block.used * sizeof(T)) continue;
      if (offset % sizeof(T) != 0) return -1;
      return std::ptrdiff_t(block.first + offset / sizeof(T));
    }
    return -1;
  }

  // The entry at `handle`, or null when it is not one of the pool's.
  T* Find(const void* handle) const {
    const std::ptrdiff_t index = IndexOf(handle);
    return index < 0 ? nullptr : const_cast<T*>(static_cast<const T*>(handle));
  }

  size_t size() const { return size_; }

 private:
  struct Block {
    std::unique_ptr<T[]> items;
    size_t capacity = 0;
    size_t used = 0;
    size_t first = 0;  // the number of the block's first entry
    uintptr_t begin = 0;
  };
  std::vector<Block> blocks_;
  size_t size_ = 0;
};

}  // namespace stage

#endif  // TESSERA_STAGE_HANDLE_POOL_H_
