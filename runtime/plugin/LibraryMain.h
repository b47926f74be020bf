// The load and unload routines every library main unit has, around its
// PluginLibrary. At namespace scope,
//
//   VELMORA_LIBRARY_MAIN(library, name, resources, units, instance)
//
// defines both: load registers the module record and runs the unit table,
// unload finalises the units and drops the record (PluginLibrary.h). With
// GCC and clang they are the library's constructor and destructor: the
// system loader runs them on ELF systems, and on Windows the compiler's
// runtime runs them from the library's DllMain, on process attach and
// detach. A compiler without that attribute needs a DllMain that calls them.
#pragma once

#include "runtime/plugin/PluginLibrary.h"

#if defined(__GNUC__)
#define VELMORA_LIBRARY_MAIN(library, name, resources, units, instance)                                        \
  __attribute__((constructor)) void VelmoraLibraryLoad() { (library).Load(name, resources, units, instance); } \
  __attribute__((destructor)) void VelmoraLibraryUnload() { (library).Unload(instance); }
#else
#error "This compiler needs a DllMain that runs the library's load and unload routines"
#endif
