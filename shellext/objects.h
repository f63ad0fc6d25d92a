// The folder's view, context menu and icon extractor, made for the folder on request.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace shx {

class CShellFolder;

// The folder's view (IShellView) for the folder's own relative list.
HRESULT createShellView(CShellFolder* folder, REFIID riid, void** out);
// A context menu for copies of the given lists; with none, the folder's background menu.
HRESULT createContextMenu(CShellFolder* folder, UINT count, LPCITEMIDLIST* lists, REFIID riid,
                          void** out);
// The icon extractor of one item (a copy of its list is kept).
HRESULT createExtractIcon(LPCITEMIDLIST list, REFIID riid, void** out);

}  // namespace shx
