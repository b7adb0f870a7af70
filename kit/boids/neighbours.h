// The neighbour search of the steering step, and the spatial index that
// answers it for large flocks.
//
// The search is defined by the plain walk, ScanNeighbours: every member from
// `first` along the member list, in list order; a member is perceived when it
// is not the searching boid, has stepped (positionValid), and its distance
// (the float square root of dx*dx + dy*dy + dz*dz, in that order) is below
// the searching boid's PerceptionRange. Perceived in-flock members become
// friends in list order (the first Max_Friends_Visible of them); strict
// comparisons keep the earlier member as nearest boid and nearest friend on
// equal distances.
//
// ktNeighbourIndex answers the same question faster. It holds a flock's
// members in list order (flocks of kListedMembers or more), so that the walk
// reads them from an array instead of following their links, and for flocks
// of kCellMembers or more a hash of cells at least as wide as the largest
// perception range of the flock, holding each member's list ordinal and the
// position its last step stored. A search through the cells gathers the
// members of the 27 cells around the boid that stood within reach (plus those
// whose coordinates are not finite or too large for a cell), sorts them by
// ordinal and puts each through the plain walk's test, on the member's own
// fields. A member outside those cells is farther than any range the cells
// cover, so the walk would not perceive it either: the answer is the walk's,
// bit for bit and in the same order. A search from the same cell as the one
// before it takes every member of those cells, gathered and sorted once
// while no member changes bucket, straight to the walk's test.
//
// What keeps the index true:
// - Membership and order: every operation that relinks a boid (SetNext,
//   SetPrev, LinkOut, and the flock's AddTo and RemoveFrom) marks the index
//   that holds the boid stale, and a stale index is rebuilt from the list at
//   the next search, as is one asked to search from another first member. A
//   boid belongs to at most one index (ktBoid::fIndexedBy), the last that was
//   built with it.
// - Positions and flags: the walk reads every position and flag from the
//   boids; the cells only narrow which members it reads. They hold the
//   position that each boid's FlockIt stored, which tells the index at once
//   (NoteMoved), and once a round (when a boid searches again, which begins
//   the host's next frame) the index compares every member's position field
//   with the one it holds and moves those that differ: a position written
//   directly into a member is seen from the next round's searches on.
// - The cells' layers: a search visits only the layers of cells (along z)
//   that have held a member since the cells were built, so that a flock on
//   flat ground visits 9 cells rather than 27.
// - Ranges: a search whose range is larger than the cells cover, or whose
//   boid stands outside every cell, is a walk; a larger range rebuilds the
//   cells to cover it.
// Rebuilding allocates only when the flock grew beyond what the index held
// before; searches and moves allocate nothing. Nothing here throws. The
// index is shared by every boid that searches the list or sits in it, so
// their steps must not run at the same time (a host steps them in turn).
#ifndef TESSERA_KIT_BOIDS_NEIGHBOURS_H_
#define TESSERA_KIT_BOIDS_NEIGHBOURS_H_

#include <cstdint>
#include <vector>

#include "kit/boids/flock.h"

// The boid's search from `first` (FindNeighbours): through its flock's index
// when the flock has kListedMembers or more, else (and whenever the index
// cannot hold the list) the plain walk along the links. Returns the friend
// count.
int32_t FindNeighboursOf(ktBoid& boid, ktBoid* first);

// The plain walk: clears the boid's neighbours, then visits every member from
// `first`. Returns the friend count. The reference for every other answer.
int32_t ScanNeighbours(ktBoid& boid, ktBoid* first);

// The spatial index of one flock's member list; owned by the flock
// (ktFlock::fNeighbourIndex), created at the first search of a large flock.
class ktNeighbourIndex {
 public:
  // Flocks of this many members or more keep an index: their members in
  // list order, so that a walk need not follow the links.
  static constexpr int32_t kListedMembers = 8;
  // From this many members on, the index holds cells too: below, the walk is
  // cheaper than the cells' bookkeeping.
  static constexpr int32_t kCellMembers = 64;

  ktNeighbourIndex() = default;
  ~ktNeighbourIndex();
  ktNeighbourIndex(const ktNeighbourIndex&) = delete;
  ktNeighbourIndex& operator=(const ktNeighbourIndex&) = delete;

  // The boid's search from `first` through the index, its result stored in
  // the boid as the plain walk stores it. Returns false, touching nothing,
  // when the list cannot be held (a ring, or no memory); the caller then
  // walks the links.
  bool Find(ktBoid& boid, ktBoid* first, int32_t& friendCount);
  // `boid` (held by this index) stored a new position.
  void NoteMoved(ktBoid& boid);
  // The member list changed: rebuild before the next search.
  void MarkStale() { fStale = true; }
  // `boid` (held by this index) is going away: forget it.
  void Forget(ktBoid& boid);
  // Searches answered through the cells so far (for tests).
  int64_t Answered() const { return fAnswered; }

 private:
  // A member: where it stood when it last told the index (the position the
  // steering step stored), and its place in its bucket's chain.
  struct Entry {
    mkPoint3 position;
    int32_t bucket;
    int32_t next;  // the chain's next and previous entries, -1 at the ends
    int32_t prev;
    ktBoid* boid;
  };

  bool Rebuild(ktBoid& asking, ktBoid* first);
  void Release();
  // The bucket of a position: one of the cell hash's, or the overflow bucket
  // for coordinates that are not finite or too large for a cell.
  int32_t BucketOf(const mkPoint3& position) const;
  // BucketOf for a member's position, widening the layers that hold members.
  int32_t Place(const mkPoint3& position);
  // Begins a new round when `boid` has searched in this one already (or is
  // not held here): every member's position field is compared with the one
  // held, and a member whose field differs is moved.
  void NoteSearch(const ktBoid& boid);
  void Sweep();
  // Calls visit(bucket) for each bucket of the 27 cells around `cell` (in
  // the layers that hold members), once each, then for the overflow bucket.
  template <class Visit>
  void VisitBlock(const int32_t cell[3], Visit visit) const;
  // Every member of those buckets into fBlock, in list order.
  void GatherBlock(const int32_t cell[3]);
  bool CellOf(const mkPoint3& position, int32_t cell[3]) const;
  int32_t BucketOfCell(int32_t x, int32_t y, int32_t z) const;
  void Link(int32_t entry, int32_t bucket);
  void Unlink(int32_t entry);

  ktBoid* fFirst = nullptr;  // the list's first member when built
  bool fStale = true;
  bool fCells = false;  // cells built: enough members, a range to cover
  float fRange = 0.0f;  // the largest perception range the cells cover
  double fInverseCell = 0.0;
  uint32_t fMask = 0;             // cell buckets - 1 (a power of two less one)
  int32_t fOverflow = 0;          // the overflow bucket: the last one
  std::vector<Entry> fEntries;    // in list order
  std::vector<int32_t> fBuckets;  // first entry of each chain, -1 empty
  int64_t fAnswered = 0;
  std::vector<int32_t> fFound;  // a search's candidates (capacity: the members)
  // The lowest and highest cell layer (z) that a member has stood in since
  // the cells were built.
  int32_t fLowLayer = 0;
  int32_t fHighLayer = -1;
  // Relinks of members between buckets (and widenings of the layers).
  uint32_t fRelinks = 0;
  // The cell of the last search through the cells.
  int32_t fLastCell[3] = {0, 0, 0};
  bool fLastCellValid = false;
  // The members of the buckets around fBlockCell, in list order, gathered
  // when fRelinks was fBlockRelinks (capacity: the members).
  std::vector<int32_t> fBlock;
  std::vector<ktBoid*> fBlockMembers;  // the same members
  int32_t fBlockCount = 0;
  int32_t fBlockCell[3] = {0, 0, 0};
  uint32_t fBlockRelinks = 0;
  bool fBlockValid = false;
  // The round, and the round in which each member last searched.
  uint32_t fRound = 0;
  std::vector<uint32_t> fSearchedIn;
};

#endif  // TESSERA_KIT_BOIDS_NEIGHBOURS_H_
