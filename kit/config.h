// Every macro that changes the binary interface of the system: the export
// attribute of entry points and global objects, their calling convention.
// Included, directly or through the kit headers, by all code.
#ifndef TESSERA_KIT_CONFIG_H_
#define TESSERA_KIT_CONFIG_H_

#if defined(_WIN32)
#define MK_EXPORT __declspec(dllexport)
#define MK_CDECL __cdecl
#else
#define MK_EXPORT __attribute__((visibility("default")))
#define MK_CDECL
#endif

// Virtual operations use the compiler's default convention for members
// (thiscall on 32-bit Windows), which is the host engine's.

#endif  // TESSERA_KIT_CONFIG_H_
