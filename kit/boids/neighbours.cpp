// The neighbour search.
#include "kit/boids/neighbours.h"

namespace {

// The walk's state in locals, so that the compiler keeps it in registers
// rather than reloading it after every store into the boid's friend list.
class Search {
 public:
  explicit Search(ktBoid& boid)
      : boid_(boid), position_(boid.fPosition), range_(boid.fPerceptionRange) {
    boid.ClearNeighbours();
  }

  // One member, as the walk sees it: DistanceTo's test (the same float
  // arithmetic as Magnitude there) and FindNeighbours' bookkeeping.
  void Visit(ktBoid* member) {
    if (member == &boid_ || member->fPositionValid == 0) return;
    const float distance = Magnitude(member->fPosition - position_);
    if (!(distance < range_) || distance == ktINFINITY) return;
    const bool friendly = member->fInFlock != 0;
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

  int32_t Finish() {
    boid_.fFriendCount = friends_;
    boid_.fNearestBoid = nearestBoid_;
    boid_.fNearestBoidDist = nearestBoidDist_;
    boid_.fNearestFriend = nearestFriend_;
    boid_.fNearestFriendDist = nearestFriendDist_;
    return friends_;
  }

 private:
  ktBoid& boid_;
  const mkPoint3 position_;
  const float range_;
  int32_t friends_ = 0;
  ktBoid* nearestBoid_ = nullptr;
  float nearestBoidDist_ = ktINFINITY;
  ktBoid* nearestFriend_ = nullptr;
  float nearestFriendDist_ = ktINFINITY;
};

}  // namespace

int32_t ScanNeighbours(ktBoid& boid, ktBoid* first) {
  Search search(boid);
  for (ktBoid* member = first; member != nullptr; member = member->fNext) search.Visit(member);
  return search.Finish();
}
