// Corvath's registry entries: the type library, the two ProgIDs of CorvathObj and its
// class key. Unregistration deletes exactly the keys registration writes (and those
// that type-library registration adds for the dispatch interface), in a fixed order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace srv {

constexpr const char* kProgId = "Corvath.CorvathObj";
constexpr const char* kVersionedProgId = "Corvath.CorvathObj.1";
constexpr const char* kClassDescription = "CorvathObj Object";
// The type library carries no version attribute: it is registered as 0.0, the version
// unregistration names.
constexpr WORD kTypeLibMajor = 0;
constexpr WORD kTypeLibMinor = 0;

// DllRegisterServer: the embedded type library under the module's own path, then the
// ProgIDs and the class key. S_OK, or the first failure (SELFREG_E_TYPELIB or
// SELFREG_E_CLASS) when the registry refused an entry.
HRESULT registerServer(HMODULE module);

// DllUnregisterServer: this width's type library entry, then every key of
// unregistrationKeys() in order, each on its own (a key that still holds someone else's
// subkeys stays). Where the registry views share the ProgIDs (64-bit Windows), they are
// written again when the other width's server is still registered. A key that is not
// there is not an error; always S_OK.
HRESULT unregisterServer();

// The keys under HKEY_CLASSES_ROOT that unregistration deletes, in its order.
std::vector<std::string> unregistrationKeys();

}  // namespace srv
