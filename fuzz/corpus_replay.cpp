// Replays a fuzz target's kept corpus (fuzz/corpus/<target>/: inputs the long campaigns
// found interesting, and every crash turned into a regression case) in the test
// command, so that an input that once crashed the target can never come back unseen.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sanitizer/common_interface_defs.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string g_current;

// A crash ends the program in the sanitizer: name the input first.
void nameCrashingInput() { fprintf(stderr, "crashing corpus input: %s\n", g_current.c_str()); }

std::vector<std::string> corpusFiles(const std::string& folder) {
  std::vector<std::string> out;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.empty() || name[0] == '.') continue;
      out.push_back(folder + "/" + name);
    }
    closedir(dir);
  }
  return out;
}

TEST(FuzzCorpusReplay, EveryKeptInputRunsClean) {
  const std::vector<std::string> files = corpusFiles(ORV_FUZZ_CORPUS_DIR);
  EXPECT_FALSE(files.empty()) << "no corpus in " << ORV_FUZZ_CORPUS_DIR;
  __sanitizer_set_death_callback(nameCrashingInput);
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    g_current = file;
    SCOPED_TRACE(file);
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
}

}  // namespace
