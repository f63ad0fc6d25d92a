// The compiled help file beside the binaries, read back through the HTML Help engine's
// storage: the pop-up topics of every page's controls must be there.
#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "framework/module.h"
#include "pages/help.h"

// The storage interface of the HTML Help engine (itss.dll), which reads the files inside
// a compiled help file the way the help control does. Declared outside the anonymous
// namespace: there the compiler would take the pure virtual methods for unreachable.
const CLSID kClsidItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidItStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
struct IITStorage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD,
                                                                IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD,
                                                   IStorage**) = 0;
};

namespace {

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p) p->Release();
  }
};

// A file inside the help file beside the binaries; empty when it cannot be read.
std::string readFromHelpFile(const wchar_t* inner) {
  std::string path = fw::moduleFolder(nullptr) + srv::kHelpFileName;
  std::wstring wide(path.begin(), path.end());
  Released<IITStorage> its;
  Released<IStorage> storage;
  Released<IStream> stream;
  if (FAILED(CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                              reinterpret_cast<void**>(&its.p))) ||
      FAILED(its.p->StgOpenStorage(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                                   nullptr, 0, &storage.p)) ||
      FAILED(storage.p->OpenStream(inner, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   &stream.p)))
    return std::string();
  std::string out;
  char buffer[4096];
  ULONG got = 0;
  while (SUCCEEDED(stream.p->Read(buffer, sizeof buffer, &got)) && got > 0) out.append(buffer, got);
  return out;
}

class HelpFileTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(HelpFileTest, ContextTopicsCoverEveryPairOfEveryPage) {
  std::string text = readFromHelpFile(L"context.txt");
  ASSERT_FALSE(text.empty()) << "context.txt not readable inside " << srv::kHelpFileName;
  std::map<unsigned, std::string> topics;
  std::istringstream lines(text);
  std::string line;
  unsigned current = 0;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(".topic ", 0) == 0) {
      current = static_cast<unsigned>(std::stoul(line.substr(7)));
      topics[current];
    } else if (current) {
      topics[current] += line;
    }
  }
  std::set<unsigned> missing;
  for (const srv::HelpPage& page : srv::kHelpPages)
    for (const srv::HelpPair* p = page.pairs; p->controlId != 0; ++p)
      if (topics.count(p->topic) == 0 || topics[p->topic].empty()) missing.insert(p->topic);
  std::ostringstream list;
  for (unsigned t : missing) list << t << ' ';
  EXPECT_TRUE(missing.empty()) << "topics without text: " << list.str();
}

TEST_F(HelpFileTest, ContentsAndDefaultTopicAreThere) {
  std::string contents = readFromHelpFile(L"contents.hhc");
  EXPECT_NE(contents.find("suite.htm"), std::string::npos);
  EXPECT_NE(contents.find("seldarn.htm"), std::string::npos);
  std::string start = readFromHelpFile(L"suite.htm");
  EXPECT_NE(start.find("SCSI Explorer"), std::string::npos);
  EXPECT_TRUE(readFromHelpFile(L"no-such-page.htm").empty());
}

}  // namespace
