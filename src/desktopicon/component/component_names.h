#pragma once

// Names shared by the program, the desktop-icon component and its two small
// tools. Each name lives here only.

namespace kova::component {

// The component library, installed beside the program.
inline constexpr char kLibraryName[] = "KovaShell.so";
// Registers (/s <path>) or unregisters (/u /s <path>) the component.
inline constexpr char kRegistrationTool[] = "kovashell-regsvr";
// Loads the registered component for a class id and lets it act once.
inline constexpr char kLoaderTool[] = "kovashell-loadinproc";

inline constexpr char kProgId[] = "KovaShell.KovaClass";
inline constexpr char kClassId[] = "{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}";

// Entry points of the library (extern "C", each returns 0 on success).
inline constexpr char kRegisterEntry[] = "DllRegisterServer";
inline constexpr char kUnregisterEntry[] = "DllUnregisterServer";
inline constexpr char kActOnceEntry[] = "KovaActOnce";

} // namespace kova::component
