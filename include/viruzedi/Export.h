// What the component's library shows to a host. The library is built with
// hidden visibility, so that its internals can change without a host
// noticing and cannot clash with a host's own names; what a host needs is
// marked VIRUZEDI_API.
//
// VIRUZEDI_BUILD_LIBRARY is set only while the component's own code is
// compiled. VIRUZEDI_STATIC is set for a program or library that carries
// that code inside itself instead of loading the component's library (the
// tests, the command line, the simulators, the infrared link library):
// on Windows it must import none of it. On Windows a host reaches the
// component through its automation server alone, so what carries the code
// there (the server, the command) exports none of it either: the server's
// exports are its four entry points.
#pragma once

#if defined(_WIN32)
#if defined(VIRUZEDI_STATIC)
#define VIRUZEDI_API
#elif defined(VIRUZEDI_BUILD_LIBRARY)
#define VIRUZEDI_API __declspec(dllexport)
#else
#define VIRUZEDI_API __declspec(dllimport)
#endif
#elif defined(VIRUZEDI_BUILD_LIBRARY)
#define VIRUZEDI_API __attribute__((visibility("default")))
#else
#define VIRUZEDI_API
#endif
