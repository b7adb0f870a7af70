// Describes a machine as a hardware profile (profiles/README.md): what the
// Glide library and every DirectDraw driver answer to detection's calls, the
// memory and the user. A profile written from the running Windows machine
// lets the command-line setup detect the same devices anywhere.
#ifndef TESSERA_SETUP_PROFILE_WRITER_H_
#define TESSERA_SETUP_PROFILE_WRITER_H_

#include <string>

#include "setup/platform.h"

// The profile text of `system`. Each driver is opened, asked and released in
// turn. Glide windows are not opened: the profile lists none.
std::string DescribeHardware(SystemApi& system);
// Writes DescribeHardware to `path`; false when the file cannot be written.
bool WriteHardwareProfile(SystemApi& system, const std::string& path);

#endif  // TESSERA_SETUP_PROFILE_WRITER_H_
