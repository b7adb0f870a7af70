// The creature tunables: every number and name that shapes the flocking
// creatures, in a tunables store (kit/tunables) filled with the built-in
// defaults below and then read over from init/chars/hopkin.ini:
//
//   ktTunables tunables;
//   HopkinAddDefaults(&tunables);
//   tunables.Load("init/chars/hopkin.ini");   // a missing file keeps the defaults
//
// docs/hopkin.md lists the keys with their defaults and meaning.
#ifndef TESSERA_HOPKIN_TUNABLES_H_
#define TESSERA_HOPKIN_TUNABLES_H_

#include "kit/tunables/tunables.h"

// Puts the built-in defaults into `tunables`, key after key in their fixed
// order, each value appended to whatever the key already holds.
void HopkinAddDefaults(ktTunables* tunables);

#endif  // TESSERA_HOPKIN_TUNABLES_H_
