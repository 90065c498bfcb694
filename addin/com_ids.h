// The binary forms of the COM identities that the add-in implements or uses.
// The add-in's own ids agree with the registry forms in addin/ids.h.
#pragma once

#include <windows.h>

namespace tarnwick {

extern const CLSID CLSID_Connect;
extern const IID IID_IConnect;
extern const GUID LIBID_TarnwickLib;

// The host's add-in protocol and the library that describes it.
extern const IID IID__IDTExtensibility2;
extern const GUID LIBID_AddInDesignerObjects;

// The VBA editor's root object, VBE.
extern const IID IID_VBE;

}  // namespace tarnwick
