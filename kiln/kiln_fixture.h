// The fixture of KilnXcmd's tests: the plug-in loaded into the stage the
// way the engine loads it, small scenes built from scene-file text, and the
// message lines and call trace of the commands run on them.
#ifndef TESSERA_KILN_KILN_FIXTURE_H_
#define TESSERA_KILN_KILN_FIXTURE_H_

#include "stage/ops.h"
#include "stage/testing/stage_fixture.h"

namespace kilntest {

using stagetest::Lines;

class KilnTest : public stagetest::StageFixture {
 protected:
  KilnTest() : StageFixture({KILNXCMD_PLUGIN_PATH}) {}
};

}  // namespace kilntest

#endif  // TESSERA_KILN_KILN_FIXTURE_H_
