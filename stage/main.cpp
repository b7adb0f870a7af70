// stage: plays a scene file with the plug-ins it names, as the game engine
// would, and prints the message lines that the plug-ins write (see
// stage/program.h and docs/scene-format.md).
#include "stage/program.h"

int main(int argc, char** argv) {
  stage::program::Options options;
  int status = 0;
  if (!stage::program::ReadOptions(argc, argv, &options, &status)) return status;
  if (!options.exportsOf.empty()) return stage::program::PrintExports(options);
  return stage::program::PlayScene(options);
}
