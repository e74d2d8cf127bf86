// The automation identity of the component: what hosts built against it are
// bound to. An automation wrapper is generated from these constants, so they
// are the single place where names, identifiers and help strings stand.
#pragma once

#include <cstdint>

#include "viruzedi/Version.h"

namespace viruzedi {

inline constexpr const char kTypeLibraryName[] = "Viruzedi11600";
inline constexpr const char kTypeLibraryId[] = "{e06d8707-2716-431d-b06c-0166ed11c61b}";
// The type library's version; the versioned ProgID carries its major number.
inline constexpr unsigned short kTypeLibraryMajor = 1;
inline constexpr unsigned short kTypeLibraryMinor = 0;
inline constexpr const char kClassName[] = "Viruzedi";
inline constexpr const char kClassId[] = "{6ea8677e-7d32-486a-942e-b71dc9b265c0}";
inline constexpr const char kProgId[] = "Viruzedi11600.Viruzedi";
inline constexpr const char kInterfaceName[] = "_Viruzedi";
inline constexpr const char kInterfaceId[] = "{cee57eed-200d-4ab5-9b8d-1c1ab48f1579}";
inline constexpr const char kComponentFileName[] = "Viruzedi11600.dll";

struct EnumerationIdentity {
  const char* name;
  const char* id;
};
inline constexpr EnumerationIdentity kEnumerations[] = {
    {"Scarica_COM", "{a96c704b-2319-4f32-ae12-706d63533bb0}"},
    {"Scarica_Baud", "{b4edfbd8-2728-4f8d-a653-c1d2a79df319}"},
    {"Scarica_ModFile", "{8fa785ed-ba6c-4158-b4b4-12ff7f7679c6}"},
};

enum class MemberKind { Property, Operation };

struct MemberIdentity {
  uint32_t dispatchId;
  const char* name;
  MemberKind kind;
  const char* helpString;  // "" when the member has none
};

// Members of _Viruzedi in the order of its table.
inline constexpr MemberIdentity kMembers[] = {
    {0x40030003, "Porta", MemberKind::Property, ""},
    {0x40030004, "DbPath", MemberKind::Property, ""},
    {0x40030005, "IdUt", MemberKind::Property, ""},
    {0x60030003, "Scarica", MemberKind::Operation, ""},
    {0x60030004, "Scarica3", MemberKind::Operation,
     "Legge da Viruzedi con ZeveVozu1.ocx e compila la tabella \"viruzedi\""},
    {0x60030005, "Scarica4", MemberKind::Operation, ""},
    {0x60030006, "Scarica5", MemberKind::Operation, ""},
    {0x60030007, "Scarica_RimesseOF", MemberKind::Operation, ""},
    {0x60030008, "Scarica1", MemberKind::Operation,
     "Legge da viruzedi utilizzando \"ZiRav.dll\", scrive in tabella \"viruzedi\"."},
    {0x6003000b, "Scarica2", MemberKind::Operation, ""},
    {0x6003000c, "Upload1", MemberKind::Operation,
     "Carico sul terminalino alcuni dati su utenti e giacenze"},
    {0x6003000e, "Scarica_ZidoriVovi", MemberKind::Operation, ""},
};

// Dispatch identifiers of the terminal-transfer control's members.
inline constexpr uint32_t kDispIdFlagAlternativo = 0x68030001;
inline constexpr uint32_t kDispIdOperazioneAlternativa = 0x60030009;
inline constexpr uint32_t kDispIdInviaFile = 0x60030007;
inline constexpr uint32_t kDispIdRiceviFile = 0x60030008;

}  // namespace viruzedi
