// Self-registration of in-process COM servers: class keys under HKEY_CLASSES_ROOT and
// the type library embedded in the module.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// Registry text form of a GUID: braces and upper-case hex, in the ANSI code page.
std::string guidText(const GUID& guid);

// Sets a text value (name null: the key's default value) of HKEY_CLASSES_ROOT\path,
// creating the key and its parents as needed.
HRESULT setClassesText(const std::string& path, const char* name, const std::string& value);
// Text value of HKEY_CLASSES_ROOT\path; false when the key or value is missing.
bool readClassesText(const std::string& path, const char* name, std::string& value);
bool classesKeyExists(const std::string& path);
// Deletes HKEY_CLASSES_ROOT\path itself (not a tree: a key that still has subkeys
// stays). A key that does not exist is not an error.
HRESULT deleteClassesKey(const std::string& path);

// Registers the type library embedded in the module (TYPELIB 1) under the module's own
// path, so the registry names the module itself.
HRESULT registerModuleTypeLib(HMODULE module);
// Unregisters that version of the library; TYPE_E_LIBNOTREGISTERED when it is not.
HRESULT unregisterTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid);

}  // namespace fw
