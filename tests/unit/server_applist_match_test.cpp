#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "server/applist.h"

namespace {

using srv::AppValueRead;

// A key's values as the registry binding would report them, index by index.
struct FakeValue {
  AppValueRead read;
  std::string name;
  std::string data;
};

class FakeValues : public srv::AppValueSource {
 public:
  explicit FakeValues(std::vector<FakeValue> values) : values_(std::move(values)) {}
  AppValueRead read(uint32_t index, std::string& name, std::string& data) override {
    ++reads;
    if (index >= values_.size()) return AppValueRead::end;
    const FakeValue& v = values_[index];
    if (v.read == AppValueRead::ok) {
      name = v.name;
      data = v.data;
    }
    return v.read;
  }
  int reads = 0;

 private:
  std::vector<FakeValue> values_;
};

std::vector<std::pair<std::string, std::string>> listed(srv::AppValueSource& source,
                                                        uint8_t type, size_t limit = 100) {
  std::vector<std::pair<std::string, std::string>> out;
  srv::visitMatchingApps(source, type, limit, [&](const std::string& n, const std::string& p) {
    out.emplace_back(n, p);
  });
  return out;
}

TEST(AppListMatch, CodesAreSearchedAsPlainSubstrings) {
  const char* data = "C:\\Tools\\burn.exe#0105";
  std::string_view path;
  // 01 and 05 are named; 10 is found across them; 255 always matches.
  for (int type : {1, 5, 10, 255}) {
    path = {};
    EXPECT_TRUE(srv::appMatches(data, static_cast<uint8_t>(type), &path)) << type;
    EXPECT_EQ(path, "C:\\Tools\\burn.exe") << type;
  }
  for (int type : {0, 2, 4, 6, 15, 50})
    EXPECT_FALSE(srv::appMatches(data, static_cast<uint8_t>(type), &path)) << type;
}

TEST(AppListMatch, WithoutHashOnlyAllTypesMatchAndThePathIsTheWholeData) {
  std::string_view path;
  EXPECT_FALSE(srv::appMatches("C:\\a.exe", 0, &path));
  EXPECT_FALSE(srv::appMatches("C:\\a01.exe", 1, &path));  // digits before "#" don't count
  EXPECT_TRUE(srv::appMatches("C:\\a.exe", 255, &path));
  EXPECT_EQ(path, "C:\\a.exe");
}

TEST(AppListMatch, PathEndsAtTheFirstHashAndTheSearchIncludesTheRest) {
  std::string_view path;
  EXPECT_TRUE(srv::appMatches("C:\\x.exe#00#05", 5, &path));
  EXPECT_EQ(path, "C:\\x.exe");
  EXPECT_TRUE(srv::appMatches("#00", 0, &path));
  EXPECT_EQ(path, "");
  // Three-digit types are searched as written by "%02d".
  EXPECT_TRUE(srv::appMatches("p#128", 128, &path));
  EXPECT_FALSE(srv::appMatches("p#12", 128, &path));
}

TEST(AppListWalk, CountsAndListsMatchesInValueOrder) {
  FakeValues values({{AppValueRead::ok, "Burner", "C:\\b.exe#0105"},
                     {AppValueRead::ok, "Viewer", "C:\\v.exe"},
                     {AppValueRead::ok, "Disk tool", "C:\\d.exe#00"},
                     {AppValueRead::ok, "Changer", "C:\\c.exe#08#05"}});
  EXPECT_EQ(srv::countMatchingApps(values, 5), 2);
  EXPECT_EQ(srv::countMatchingApps(values, 255), 4);
  EXPECT_EQ(srv::countMatchingApps(values, 3), 0);
  auto apps = listed(values, 5);
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0], std::make_pair(std::string("Burner"), std::string("C:\\b.exe")));
  EXPECT_EQ(apps[1], std::make_pair(std::string("Changer"), std::string("C:\\c.exe")));
}

TEST(AppListWalk, StopsAtAnyEndAndSkipsUnusableValues) {
  FakeValues values({{AppValueRead::ok, "A", "a.exe"},
                     {AppValueRead::skip, "", ""},
                     {AppValueRead::ok, "B", "b.exe"},
                     {AppValueRead::end, "", ""},
                     {AppValueRead::ok, "After the end", "c.exe"}});
  EXPECT_EQ(srv::countMatchingApps(values, 255), 2);
  auto apps = listed(values, 255);
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[1].first, "B");
}

TEST(AppListWalk, NamesAndPathsThatDoNotFitTheRecordAreLeftOut) {
  std::string longest(259, 'n');  // fits with its terminating zero
  std::string tooLong(260, 'n');
  FakeValues values({{AppValueRead::ok, longest, "ok.exe"},
                     {AppValueRead::ok, tooLong, "name.exe"},
                     {AppValueRead::ok, "Path", std::string(260, 'p') + "#05"},
                     {AppValueRead::ok, "Codes", std::string(250, 'p') + "#05050505"}});
  auto apps = listed(values, 255);
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0].first, longest);
  EXPECT_EQ(apps[1].first, "Codes");  // only the path must fit, not the codes after it
  EXPECT_EQ(srv::countMatchingApps(values, 255), 2);
}

TEST(AppListWalk, ListingNeverPassesItsLimit) {
  FakeValues values({{AppValueRead::ok, "A", "a#05"},
                     {AppValueRead::ok, "B", "b#05"},
                     {AppValueRead::ok, "C", "c#05"}});
  EXPECT_EQ(listed(values, 5, 2).size(), 2u);
  EXPECT_EQ(listed(values, 5, 0).size(), 0u);
  values.reads = 0;
  listed(values, 5, 1);
  EXPECT_EQ(values.reads, 1);  // stops reading once the caller's room is full
}

TEST(AppListWalk, CountIsCappedAtTheResultType) {
  class Endless : public srv::AppValueSource {
   public:
    AppValueRead read(uint32_t, std::string& name, std::string& data) override {
      name = "x";
      data = "x.exe";
      return AppValueRead::ok;
    }
  } endless;
  EXPECT_EQ(srv::countMatchingApps(endless, 255), INT16_MAX);
}

TEST(AppDescriptorField, CopiesAreTerminatedAndReportCuts) {
  srv::AppDescriptor d;
  std::memset(&d, 'z', sizeof d);
  EXPECT_TRUE(srv::copyAppField(d.appName, "Burner"));
  EXPECT_STREQ(d.appName, "Burner");
  EXPECT_FALSE(srv::copyAppField(d.appDescription, std::string(300, 'd')));
  EXPECT_EQ(std::strlen(d.appDescription), 259u);
  EXPECT_EQ(static_cast<uint32_t>(d.appIcon), 0x7a7a7a7au);  // the neighbouring field is untouched
}

}  // namespace
