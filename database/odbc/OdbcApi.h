// The ODBC headers, included here and nowhere else in the component. On
// Windows they need the system's types first.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>

#include <string>

static_assert(sizeof(SQLWCHAR) == 2, "the wide calls are made in UTF-16");

namespace viruzedi {

// The buffer of a text as the wide and the narrow calls take it.
inline SQLWCHAR* Wide(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }
inline SQLCHAR* Narrow(std::string& text) { return reinterpret_cast<SQLCHAR*>(text.data()); }

}  // namespace viruzedi
