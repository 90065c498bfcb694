// The add-in's fixed COM identities, in registry form (braces, upper-case hexadecimal).
// The registry scripts in resources/, the type library and the code all use these.
#pragma once

namespace tarnwick {

inline constexpr wchar_t kCLSID_Connect[] = L"{6A4E3C52-8F1B-4C7D-9B2E-5D3A7F1C0B84}";
inline constexpr wchar_t kIID_IConnect[] = L"{0F2B9D61-3C84-4E5A-A7D2-8B6C1E4F9A30}";
inline constexpr wchar_t kLIBID_TarnwickLib[] = L"{C3D81A47-5E29-4B6F-8A1C-2F7E9D0B4C65}";
inline constexpr wchar_t kAppId[] = L"{9E5C2B18-7A43-4D91-B6F0-3C8A1E5D7F29}";

// Resource ids of the two registry scripts.
inline constexpr int kAppIdScriptId = 101;
inline constexpr int kConnectScriptId = 102;

}  // namespace tarnwick
