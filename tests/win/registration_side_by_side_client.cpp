// A COM client of one width for the side-by-side registration test: creates each class
// it is given (a ProgID or a {CLSID}) as any client would and prints which module
// serves it, then where the type library of each {LIBID} after --typelib is registered
// for this width. One line per argument: "ARG PATH", or "ARG error 0xHRESULT".
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

std::wstring wide(const char* s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &out[0], n);
  out.resize(wcslen(out.c_str()));
  return out;
}

// The module whose code the object's interface table lies in.
std::string serverOf(IUnknown* object) {
  HMODULE module = nullptr;
  const void* table = *reinterpret_cast<void* const*>(object);
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const char*>(table), &module))
    return "<no module>";
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

void printError(const char* arg, HRESULT hr) {
  std::printf("%s error 0x%08lx\n", arg, static_cast<unsigned long>(hr));
}

void create(const char* arg) {
  CLSID clsid;
  const std::wstring name = wide(arg);
  HRESULT hr = arg[0] == '{' ? CLSIDFromString(name.c_str(), &clsid)
                             : CLSIDFromProgID(name.c_str(), &clsid);
  if (FAILED(hr)) return printError(arg, hr);
  IUnknown* object = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                        reinterpret_cast<void**>(&object));
  if (FAILED(hr)) return printError(arg, hr);
  std::printf("%s %s\n", arg, serverOf(object).c_str());
  object->Release();
}

void typeLibrary(const char* arg) {
  GUID libid;
  const std::wstring name = wide(arg);
  HRESULT hr = CLSIDFromString(name.c_str(), &libid);
  if (FAILED(hr)) return printError(arg, hr);
  // Loading it proves more than the path: the registration names a library that loads.
  ITypeLib* library = nullptr;
  hr = LoadRegTypeLib(libid, 0, 0, 0, &library);
  if (FAILED(hr)) return printError(arg, hr);
  library->Release();
  BSTR path = nullptr;
  hr = QueryPathOfRegTypeLib(libid, 0, 0, 0, &path);
  if (FAILED(hr)) return printError(arg, hr);
  char text[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, path, -1, text, MAX_PATH, nullptr, nullptr);
  SysFreeString(path);
  std::printf("%s %s\n", arg, text);
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  if (FAILED(CoInitialize(nullptr))) return 2;
  bool libraries = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--typelib")
      libraries = true;
    else if (libraries)
      typeLibrary(argv[i]);
    else
      create(argv[i]);
  }
  std::fflush(stdout);
  CoUninitialize();
  return 0;
}
