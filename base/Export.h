// What the component's library shows to a host. The library is built with
// hidden visibility, so that its internals can change without a host
// noticing and cannot clash with a host's own names; what a host needs is
// marked VIRUZEDI_API.
//
// VIRUZEDI_BUILD_LIBRARY is set only while the component's own code is
// compiled. VIRUZEDI_STATIC is set for a program or library that carries
// that code inside itself instead of loading the component's library (the
// tests, the command line, the simulators, the infrared link library):
// on Windows it must import none of it.
#pragma once

#if defined(_WIN32)
#if defined(VIRUZEDI_BUILD_LIBRARY)
#define VIRUZEDI_API __declspec(dllexport)
#elif defined(VIRUZEDI_STATIC)
#define VIRUZEDI_API
#else
#define VIRUZEDI_API __declspec(dllimport)
#endif
#elif defined(VIRUZEDI_BUILD_LIBRARY)
#define VIRUZEDI_API __attribute__((visibility("default")))
#else
#define VIRUZEDI_API
#endif
