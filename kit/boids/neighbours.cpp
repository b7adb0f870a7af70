// The neighbour search: the plain walk and the spatial index of large flocks.
#include "kit/boids/neighbours.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

// Four distances at a time where the processor has SSE2 and the compiler
// does not fuse multiply and add (which would round differently from the
// plain walk); elsewhere, and where KT_BOIDS_PORTABLE is defined (the tests
// build the library so too, to check that path), one member at a time.
#if defined(__SSE2__) && !defined(__FMA__) && !defined(KT_BOIDS_PORTABLE)
#define KT_BOIDS_SIMD 1
#endif

#if defined(KT_BOIDS_SIMD)
#include <emmintrin.h>
#endif

namespace {

// A hint that `address` will be read soon; nothing where the compiler has no
// such hint.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

// The walk's state in locals, so that the compiler keeps it in registers
// rather than reloading it after every store into the boid's friend list.
class Search {
 public:
  explicit Search(ktBoid& boid)
      : boid_(boid), position_(boid.fPosition), range_(boid.fPerceptionRange) {
    boid.ClearNeighbours();
  }

  // A member that has stepped and is not the boid, at `distance`.
  void Take(ktBoid* member, float distance) {
    if (!(distance < range_) || distance == ktINFINITY) return;
    Record(member, distance, member->fInFlock != 0);
  }

  const mkPoint3& position() const { return position_; }
  const ktBoid* boid() const { return &boid_; }
  float range() const { return range_; }

#if defined(KT_BOIDS_SIMD)
  // Take for the members whose bits are set in `seen` (members already
  // known to be perceived: stepped, not the boid, below the range and not
  // ktINFINITY), in bit order, which is list order; `friendly` holds their
  // in-flock flags.
  void TakeSeen(ktBoid* const* members, const float* distance, uint32_t seen, uint32_t friendly) {
    for (; seen != 0; seen &= seen - 1) {
      const int i = __builtin_ctz(seen);
      Record(members[i], distance[i], ((friendly >> i) & 1u) != 0);
    }
  }
#endif

  int32_t Finish() {
    boid_.fFriendCount = friends_;
    boid_.fNearestBoid = nearestBoid_;
    boid_.fNearestBoidDist = nearestBoidDist_;
    boid_.fNearestFriend = nearestFriend_;
    boid_.fNearestFriendDist = nearestFriendDist_;
    return friends_;
  }

 private:
  // FindNeighbours' bookkeeping for a perceived member: a friend while there
  // is room, and the nearest boid and friend, the earlier kept on ties.
  void Record(ktBoid* member, float distance, bool friendly) {
    if (friendly && friends_ < Max_Friends_Visible) boid_.fFriends[friends_++] = member;
    if (distance < nearestBoidDist_) {
      nearestBoid_ = member;
      nearestBoidDist_ = distance;
    }
    if (friendly && distance < nearestFriendDist_) {
      nearestFriend_ = member;
      nearestFriendDist_ = distance;
    }
  }

  ktBoid& boid_;
  const mkPoint3 position_;
  const float range_;
  int32_t friends_ = 0;
  ktBoid* nearestBoid_ = nullptr;
  float nearestBoidDist_ = ktINFINITY;
  ktBoid* nearestFriend_ = nullptr;
  float nearestFriendDist_ = ktINFINITY;
};

// Cell coordinates stay within +-2^30 so that computing them in double keeps
// an error far below a cell; members beyond go to the overflow bucket.
constexpr double kCellLimit = 1073741824.0;
// Cells are this much wider than the range they cover: a margin far above
// the few ulps by which the float distance and the cell coordinates can err.
constexpr double kCellMargin = 1.01;
// Ranges the cells can cover: below the smallest, squares of coordinate
// differences could fall into the subnormals and a computed distance come
// out below the true one; above the largest, a cell holds everything (and
// the squared reach of a search must stay far below the float maximum).
constexpr float kSmallestRange = 1e-12f;
constexpr float kLargestRange = 1e18f;

// Candidates come as runs in order, one run a chain, and a search usually
// meets one to four non-empty chains: an insertion sort costs the candidates
// and the pairs out of order between runs. Many runs (members without a
// cell, or crowded cells on every side) take the general sort.
void SortOrdinals(int32_t* values, int32_t count, int32_t runs) {
  if (runs <= 1) return;
  if (runs > 4 && count > 32) {
    std::sort(values, values + count);
    return;
  }
  for (int32_t i = 1; i < count; ++i) {
    const int32_t value = values[i];
    int32_t j = i;
    for (; j > 0 && values[j - 1] > value; --j) values[j] = values[j - 1];
    values[j] = value;
  }
}

bool Coverable(float range) {
  return range >= kSmallestRange && range <= kLargestRange;
}

// The walk in chunks: first the chunk's members that have stepped, then their
// distances, then the bookkeeping in list order. With SSE2 the distances are
// taken four at a time (packed operations round each lane exactly as the
// scalar ones do, and the sums keep Magnitude's order), and so are the range
// test and the in-flock flags, into bit masks: the bookkeeping then visits
// only the members perceived. Not where the compiler
// may fuse a multiply and an add (FMA), which it might do differently in the
// scalar code. `fill(members, capacity)` writes the next members in list order
// that have stepped and are not the boid, up to `capacity`, and returns how
// many it wrote: fewer than `capacity` only at the end of the list.
template <class Fill>
int32_t WalkInChunks(ktBoid& boid, Fill fill) {
  constexpr int kChunk = 32;
  alignas(16) float distance[kChunk];
  ktBoid* members[kChunk];
  Search search(boid);
  const mkPoint3 self = search.position();
  for (int n = fill(members, kChunk); n > 0; n = fill(members, kChunk)) {
#if defined(KT_BOIDS_SIMD)
    // Four members at a time: each load takes a member's x, y, z and the
    // word after them (its in-flock flag; the field order is the
    // interface's), and the transpose turns the four into one vector of x,
    // one of y, one of z and one of flags. The boid itself fills a last,
    // short group.
    for (int i = n; i % 4 != 0; ++i) members[i] = &boid;
    const __m128 sx = _mm_set1_ps(self.fX);
    const __m128 sy = _mm_set1_ps(self.fY);
    const __m128 sz = _mm_set1_ps(self.fZ);
    const __m128 range = _mm_set1_ps(search.range());
    const __m128 infinity = _mm_set1_ps(ktINFINITY);
    // Bit i: member i is perceived (Take's test: below the range and not
    // ktINFINITY, false for NaN), and member i is in the flock.
    uint32_t seen = 0, friendly = 0;
    for (int i = 0; i < n; i += 4) {
      __m128 x = _mm_loadu_ps(&members[i]->fPosition.fX);
      __m128 y = _mm_loadu_ps(&members[i + 1]->fPosition.fX);
      __m128 z = _mm_loadu_ps(&members[i + 2]->fPosition.fX);
      __m128 w = _mm_loadu_ps(&members[i + 3]->fPosition.fX);
      _MM_TRANSPOSE4_PS(x, y, z, w);
      x = _mm_sub_ps(x, sx);
      y = _mm_sub_ps(y, sy);
      z = _mm_sub_ps(z, sz);
      const __m128 squared =
          _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z));
      const __m128 d = _mm_sqrt_ps(squared);
      _mm_store_ps(distance + i, d);
      const __m128 perceived = _mm_and_ps(_mm_cmplt_ps(d, range), _mm_cmpneq_ps(d, infinity));
      const __m128i outOfFlock = _mm_cmpeq_epi32(_mm_castps_si128(w), _mm_setzero_si128());
      seen |= uint32_t(_mm_movemask_ps(perceived)) << i;
      friendly |= uint32_t(~_mm_movemask_ps(_mm_castsi128_ps(outOfFlock)) & 0xf) << i;
    }
    // The short group's lanes beyond the chunk hold the boid itself.
    const uint32_t chunk = n == kChunk ? ~0u : (1u << n) - 1u;
    search.TakeSeen(members, distance, seen & chunk, friendly);
#else
    for (int i = 0; i < n; ++i) distance[i] = Magnitude(members[i]->fPosition - self);
    for (int i = 0; i < n; ++i) search.Take(members[i], distance[i]);
#endif
  }
  return search.Finish();
}

}  // namespace

int32_t ScanNeighbours(ktBoid& boid, ktBoid* first) {
  ktBoid* member = first;
  return WalkInChunks(boid, [&member, &boid](ktBoid** members, int capacity) {
    int n = 0;
    for (; member != nullptr && n < capacity; member = member->fNext)
      if (member != &boid && member->fPositionValid != 0) members[n++] = member;
    return n;
  });
}

// ktNeighbourIndex ---------------------------------------------------------

ktNeighbourIndex::~ktNeighbourIndex() {
  Release();
}

void ktNeighbourIndex::Release() {
  for (Entry& entry : fEntries) {
    if (entry.boid == nullptr) continue;
    entry.boid->fIndexedBy = nullptr;
    entry.boid->fIndexSlot = -1;
    entry.boid = nullptr;
  }
  fCells = false;
}

void ktNeighbourIndex::Forget(ktBoid& boid) {
  fEntries[size_t(boid.fIndexSlot)].boid = nullptr;
  boid.fIndexedBy = nullptr;
  boid.fIndexSlot = -1;
  fStale = true;
}

bool ktNeighbourIndex::Rebuild(ktBoid& asking, ktBoid* first) {
  Release();
  fEntries.clear();
  fFirst = first;
  fStale = true;
  try {
    // The cells cover every member's range and the asking boid's, so that
    // a range raised since the last build is covered after this one.
    float range = Coverable(asking.fPerceptionRange) ? asking.fPerceptionRange : 0.0f;
    for (ktBoid* member = first; member != nullptr; member = member->fNext) {
      // A list that comes back to a member is a ring: the plain walk follows
      // it as it always did, and nothing is indexed.
      if (member->fIndexedBy == this) {
        Release();
        return false;
      }
      // A boid belongs to one index: the one that held it lets it go.
      if (member->fIndexedBy != nullptr) member->fIndexedBy->Forget(*member);
      member->fIndexedBy = this;
      member->fIndexSlot = int32_t(fEntries.size());
      fEntries.push_back({member->fPosition, -1, -1, -1, member});
      if (Coverable(member->fPerceptionRange)) range = std::max(range, member->fPerceptionRange);
    }
    fStale = false;
    const size_t count = fEntries.size();
    if (count < size_t(kCellMembers) || range == 0.0f) return true;
    fRange = range;
    fInverseCell = 1.0 / (double(range) * kCellMargin);
    size_t buckets = 1;
    // Eight buckets a member: cells that share a bucket bring members from
    // afar to every search that visits it, and the 27 visits would meet
    // many such in a table as small as the flock.
    while (buckets < 8 * count) buckets *= 2;
    fMask = uint32_t(buckets - 1);
    fOverflow = int32_t(buckets);
    fBuckets.assign(buckets + 1, -1);
    fFound.resize(count);
    fBlock.resize(count);
    fBlockMembers.resize(count);
    fBlockValid = false;
    fLastCellValid = false;
    fSearchedIn.assign(count, 0);
    fRound = 1;
    fLowLayer = 0;
    fHighLayer = -1;
    for (size_t i = count; i-- > 0;) Link(int32_t(i), Place(fEntries[i].position));
    fCells = true;
    return true;
  } catch (...) {
    Release();
    fStale = true;
    return false;
  }
}

bool ktNeighbourIndex::CellOf(const mkPoint3& position, int32_t cell[3]) const {
  const float coordinates[3] = {position.fX, position.fY, position.fZ};
  for (int i = 0; i < 3; ++i) {
    const double scaled = double(coordinates[i]) * fInverseCell;
    if (!(std::fabs(scaled) < kCellLimit)) return false;  // also NaN
    // floor, within the limit, without the library's call: the conversion
    // truncates toward zero, which is one too high below zero.
    const int32_t truncated = int32_t(scaled);
    cell[i] = truncated - (double(truncated) > scaled ? 1 : 0);
  }
  return true;
}

int32_t ktNeighbourIndex::BucketOfCell(int32_t x, int32_t y, int32_t z) const {
  const uint32_t hash = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(z) * 83492791u;
  return int32_t(hash & fMask);
}

int32_t ktNeighbourIndex::BucketOf(const mkPoint3& position) const {
  int32_t cell[3];
  if (!CellOf(position, cell)) return fOverflow;
  return BucketOfCell(cell[0], cell[1], cell[2]);
}

int32_t ktNeighbourIndex::Place(const mkPoint3& position) {
  int32_t cell[3];
  if (!CellOf(position, cell)) return fOverflow;
  if (fLowLayer > fHighLayer) {
    fLowLayer = fHighLayer = cell[2];
    ++fRelinks;
  } else if (cell[2] < fLowLayer || cell[2] > fHighLayer) {
    fLowLayer = std::min(fLowLayer, cell[2]);
    fHighLayer = std::max(fHighLayer, cell[2]);
    ++fRelinks;  // searches visit more layers
  }
  return BucketOfCell(cell[0], cell[1], cell[2]);
}

void ktNeighbourIndex::NoteSearch(const ktBoid& boid) {
  const int32_t slot = boid.fIndexedBy == this ? boid.fIndexSlot : -1;
  if (slot < 0 || fSearchedIn[size_t(slot)] == fRound) {
    if (++fRound == 0) {
      std::fill(fSearchedIn.begin(), fSearchedIn.end(), 0u);
      fRound = 1;
    }
    Sweep();
  }
  if (slot >= 0) fSearchedIn[size_t(slot)] = fRound;
}

void ktNeighbourIndex::Sweep() {
  const int32_t count = int32_t(fEntries.size());
  for (int32_t i = 0; i < count; ++i) {
    Entry& entry = fEntries[size_t(i)];
    const mkPoint3& position = entry.boid->fPosition;
    // Bit for bit, so that a NaN written over a NaN is no move and -0 over
    // 0 is one (either way the walk decides on the field itself).
    if (std::memcmp(&entry.position, &position, sizeof position) == 0) continue;
    entry.position = position;
    const int32_t bucket = Place(position);
    if (bucket == entry.bucket) continue;
    Unlink(i);
    Link(i, bucket);
  }
}

void ktNeighbourIndex::Link(int32_t entry, int32_t bucket) {
  // Chains run in list order, so that a search that gathers one chain has
  // its members in order already. Rebuild links the entries last first, so
  // each goes in at the head; a member that moves walks its new chain.
  int32_t prev = -1;
  int32_t next = fBuckets[size_t(bucket)];
  while (next >= 0 && next < entry) {
    prev = next;
    next = fEntries[size_t(next)].next;
  }
  Entry& e = fEntries[size_t(entry)];
  ++fRelinks;
  e.bucket = bucket;
  e.prev = prev;
  e.next = next;
  if (next >= 0) fEntries[size_t(next)].prev = entry;
  if (prev >= 0)
    fEntries[size_t(prev)].next = entry;
  else
    fBuckets[size_t(bucket)] = entry;
}

void ktNeighbourIndex::Unlink(int32_t entry) {
  Entry& e = fEntries[size_t(entry)];
  if (e.prev >= 0)
    fEntries[size_t(e.prev)].next = e.next;
  else
    fBuckets[size_t(e.bucket)] = e.next;
  if (e.next >= 0) fEntries[size_t(e.next)].prev = e.prev;
}

void ktNeighbourIndex::NoteMoved(ktBoid& boid) {
  if (fStale || !fCells) return;
  const int32_t slot = boid.fIndexSlot;
  fEntries[size_t(slot)].position = boid.fPosition;
  const int32_t bucket = Place(boid.fPosition);
  if (bucket == fEntries[size_t(slot)].bucket) return;
  Unlink(slot);
  Link(slot, bucket);
}

template <class Visit>
void ktNeighbourIndex::VisitBlock(const int32_t cell[3], Visit visit) const {
  const int32_t lowZ = std::max(cell[2] - 1, fLowLayer);
  const int32_t highZ = std::min(cell[2] + 1, fHighLayer);
  // The buckets visited, so that a bucket that holds several of the cells
  // is visited once: few enough to keep in registers. A bit per bucket's
  // low six bits tells most new buckets without comparing.
  int32_t visited[27];
  int32_t visits = 0;
  uint64_t seen = 0;
  for (int32_t z = lowZ; z <= highZ; ++z) {
    for (int32_t y = cell[1] - 1; y <= cell[1] + 1; ++y) {
      for (int32_t x = cell[0] - 1; x <= cell[0] + 1; ++x) {
        const int32_t bucket = BucketOfCell(x, y, z);
        const uint64_t bit = uint64_t(1) << (bucket & 63);
        if ((seen & bit) != 0 && std::find(visited, visited + visits, bucket) != visited + visits)
          continue;
        seen |= bit;
        visited[visits++] = bucket;
        visit(bucket);
      }
    }
  }
  // Members without a cell. A coordinate beyond the cells' limit is, by the
  // spacing of floats there, 64 cells or more from any boid inside them, so
  // none of these should be in reach; the exact test takes them anyway, so
  // that the answer rests on that test alone.
  visit(fOverflow);
}

void ktNeighbourIndex::GatherBlock(const int32_t cell[3]) {
  int32_t* block = fBlock.data();
  int32_t count = 0;
  int32_t runs = 0;
  VisitBlock(cell, [&](int32_t bucket) {
    const int32_t before = count;
    for (int32_t e = fBuckets[size_t(bucket)]; e >= 0; e = fEntries[size_t(e)].next)
      block[count++] = e;
    runs += count > before;
  });
  SortOrdinals(block, count, runs);
  for (int32_t i = 0; i < count; ++i) fBlockMembers[size_t(i)] = fEntries[size_t(block[i])].boid;
  fBlockCount = count;
  std::copy(cell, cell + 3, fBlockCell);
  fBlockRelinks = fRelinks;
  fBlockValid = true;
}

bool ktNeighbourIndex::Find(ktBoid& boid, ktBoid* first, int32_t& friendCount) {
  if ((fStale || first != fFirst) && !Rebuild(boid, first)) return false;
  const float range = boid.fPerceptionRange;
  if (fCells && range > fRange && Coverable(range) && !Rebuild(boid, first)) return false;
  int32_t cell[3];
  if (!fCells || !(range <= fRange) || !CellOf(boid.fPosition, cell)) {
    // The walk, over the members in hand rather than along their links.
    const Entry* entry = fEntries.data();
    const Entry* end = entry + fEntries.size();
    friendCount = WalkInChunks(boid, [&entry, end, &boid](ktBoid** members, int capacity) {
      // In a local, so that the loop keeps it in a register.
      const Entry* at = entry;
      int n = 0;
      for (; at != end && n < capacity; ++at) {
        ktBoid* member = at->boid;
        if (member != &boid && member->fPositionValid != 0) members[n++] = member;
      }
      entry = at;
      return n;
    });
    return true;
  }

  NoteSearch(boid);
  // The members of the 27 cells around the boid's (those of them in layers
  // that hold members) whose stored position is within reach; the reach has
  // a margin over the range far above the float distance's rounding, so
  // that only the exact test below decides.
  const double reach = double(range) * kCellMargin;
  const float reachSquared = float(reach * reach);
  const mkPoint3 self = boid.fPosition;
  const Entry* entries = fEntries.data();
  int32_t* found = fFound.data();
  int32_t count = 0;
  const auto inReach = [entries, self, reachSquared](int32_t e) {
    const mkVector3 d = entries[e].position - self;
    return d.fX * d.fX + d.fY * d.fY + d.fZ * d.fZ < reachSquared;
  };
  // The walk reads each candidate's flags and position: they are fetched
  // while the others are gathered.
  const auto take = [entries, found, &count](int32_t e) {
    Prefetch(&entries[e].boid->fPositionValid);
    Prefetch(&entries[e].boid->fPosition);
    found[count++] = e;
  };
  const bool sameCell = fLastCellValid && std::equal(cell, cell + 3, fLastCell);
  std::copy(cell, cell + 3, fLastCell);
  fLastCellValid = true;
  if (sameCell) {
    // A second search in a row from one cell (the members of a crowded cell
    // are often neighbours in the list too): the cells' members, gathered
    // and sorted once while no member changes bucket, go to the walk as
    // they are, as a short member list.
    if (!fBlockValid || fBlockRelinks != fRelinks || !std::equal(cell, cell + 3, fBlockCell))
      GatherBlock(cell);
    ktBoid* const* member = fBlockMembers.data();
    ktBoid* const* last = member + fBlockCount;
    friendCount = WalkInChunks(boid, [&member, last, &boid](ktBoid** members, int capacity) {
      ktBoid* const* at = member;
      int n = 0;
      for (; at != last && n < capacity; ++at)
        if (*at != &boid && (*at)->fPositionValid != 0) members[n++] = *at;
      member = at;
      return n;
    });
    ++fAnswered;
    return true;
  }
  int32_t runs = 0;
  VisitBlock(cell, [&](int32_t bucket) {
    const int32_t before = count;
    for (int32_t e = fBuckets[size_t(bucket)]; e >= 0; e = entries[e].next)
      if (bucket == fOverflow || inReach(e)) take(e);
    runs += count > before;
  });
  // Ordinals are list positions: sorted, the members come in the walk's
  // order.
  SortOrdinals(found, count, runs);

  // The candidates through the walk's own chunks and test.
  const int32_t* at = found;
  const int32_t* end = found + count;
  friendCount = WalkInChunks(boid, [&at, end, entries, &boid](ktBoid** members, int capacity) {
    const int32_t* next = at;
    int n = 0;
    for (; next != end && n < capacity; ++next) {
      ktBoid* member = entries[*next].boid;
      if (member != &boid && member->fPositionValid != 0) members[n++] = member;
    }
    at = next;
    return n;
  });
  ++fAnswered;
  return true;
}

int32_t FindNeighboursOf(ktBoid& boid, ktBoid* first) {
  ktFlock* flock = boid.fFlock;
  if (flock != nullptr && flock->fCount >= ktNeighbourIndex::kListedMembers) {
    if (flock->fNeighbourIndex == nullptr)
      flock->fNeighbourIndex = new (std::nothrow) ktNeighbourIndex();
    int32_t friends = 0;
    if (flock->fNeighbourIndex != nullptr && flock->fNeighbourIndex->Find(boid, first, friends))
      return friends;
  }
  return ScanNeighbours(boid, first);
}
