// What registering the add-in's type library writes depends on a few facts of
// the library: its identity, help string and flags, and the interfaces that
// OLE Automation marshals. They are read here from the library's IDL source,
// the file the type library itself is compiled from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

struct AutomationInterface {
  std::wstring iid;  // in registry form: braces, upper-case hexadecimal
  std::wstring name;
};

struct TypeLibraryFacts {
  std::wstring libid;  // in registry form
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  std::uint32_t lcid = 0;
  std::wstring helpString;
  // The library's LIBFLAG_* attributes (restricted, control, hidden).
  std::uint32_t flags = 0;
  // The dual and oleautomation interfaces that the file defines, in its order
  // (the IDL has no dispinterface).
  std::vector<AutomationInterface> interfaces;
};

// Reads the first library block of UTF-8 IDL text and the interfaces the text
// defines. Throws std::runtime_error when there is no library with a uuid, or
// an attribute it reads is malformed.
TypeLibraryFacts ReadTypeLibraryFacts(const std::string& idlText);

}  // namespace tarnwick
