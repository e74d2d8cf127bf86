// The one header through which the Win32 platform code includes <windows.h>.
//
// <windows.h> defines many of its functions as macros that pick the ANSI or
// the wide version (MessageBox becomes MessageBoxA or MessageBoxW), and
// those macros rewrite every later token of the same name: a member called
// MessageBox, DeleteFile or MoveFile of the component's own interfaces
// would be renamed in the Win32 files only, and a call through Platform or
// FileSystem would then name a member that does not exist, or override one
// that nobody calls. So the Win32 code includes the system header here, and
// here alone, and the colliding macros are undone at once; that code calls
// the wide functions by their full names (MessageBoxW, DeleteFileW, ...),
// which keeps text in UTF-16 and makes it independent of the ANSI code page.
//
// Other files never include this header, nor <windows.h>: the component's
// headers stay free of system headers on every platform.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN  // no sockets, no shell, no OLE: none is used
#endif
#ifndef NOMINMAX
#define NOMINMAX  // min and max are std::min and std::max in the component
#endif

#include <windows.h>

// Names of the component's members that <windows.h> defines as macros:
// Platform::MessageBox, FileSystem::DeleteFile and FileSystem::MoveFile,
// and InfraredDialogue::Yield (an obsolete function-like macro of winbase.h).
#undef MessageBox
#undef DeleteFile
#undef MoveFile
#undef Yield
