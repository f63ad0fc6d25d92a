#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "pages/help_tables.h"

namespace {

size_t pairCount(const srv::HelpPage& page) {
  size_t n = 0;
  while (page.pairs[n].controlId != 0 || page.pairs[n].topic != 0) ++n;
  return n;
}

TEST(HelpTables, ElevenPagesEachClosedByOneEndPair) {
  // Pairs per dialog template, as the pages list them.
  const std::map<uint32_t, size_t> expected = {
      {1000, 17}, {1456, 16}, {1429, 8}, {1431, 10}, {1419, 16}, {117, 9},
      {1457, 2},  {1030, 9},  {1031, 9}, {1032, 16}, {1033, 13}};
  ASSERT_EQ(sizeof(srv::kHelpPages) / sizeof(srv::kHelpPages[0]), expected.size());
  for (const srv::HelpPage& page : srv::kHelpPages) {
    ASSERT_EQ(expected.count(page.dialogId), 1u) << page.name;
    size_t n = pairCount(page);
    EXPECT_EQ(n, expected.at(page.dialogId)) << page.name;
    EXPECT_EQ(n + 1, page.count) << page.name << ": the end pair must be the last row";
    EXPECT_EQ(srv::helpPairsForDialog(page.dialogId), page.pairs);
  }
  EXPECT_EQ(srv::helpPairsForDialog(150), nullptr);
}

TEST(HelpTables, FirstPairOfAnIdIsTheOneShownAndLabelsShareTheirValuesTopic) {
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpDeviceGeneral, 1555), 109u);
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpDeviceGeneral, 1528), 109u);
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpDeviceCache, 3529), srv::helpTopicFor(srv::kHelpDeviceCache, 3505));
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpAdvanced, 1268), srv::helpTopicFor(srv::kHelpAdvanced, 1262));
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpAdapterGeneral, 1232), 8u);
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpAdapterPci, 1280), 0u);
  EXPECT_EQ(srv::helpTopicFor(nullptr, 1516), 0u);
}

TEST(HelpTables, SheetsSubstituteTheirOwnButtonsOnly) {
  EXPECT_EQ(srv::popupStringId(srv::kAdapterSheetPopups, 0x3020), 32847u);
  EXPECT_EQ(srv::popupStringId(srv::kAdapterSheetPopups, 1), 1u);
  EXPECT_EQ(srv::popupStringId(srv::kAdapterSheetPopups, 0x3021), 0x3021u);
  EXPECT_EQ(srv::popupStringId(srv::kSeldarnSheetPopups, 1), 32841u);
  EXPECT_EQ(srv::popupStringId(srv::kSeldarnSheetPopups, 2), 32842u);
  EXPECT_EQ(srv::popupStringId(srv::kSeldarnSheetPopups, 0x3021), 32843u);
  EXPECT_EQ(srv::popupStringId(srv::kSeldarnSheetPopups, 0x3020), 32845u);
  EXPECT_EQ(srv::popupStringId(srv::kSeldarnSheetPopups, 1163), 1163u);
  EXPECT_EQ(srv::kAdapterSheetPopups.fallbackBackground, 0xD0FFFFu);  // RGB(255,255,208)
  EXPECT_EQ(srv::kSeldarnSheetPopups.fallbackBackground, 0xE4FFFFu);
}

// ".topic N" lines of the help file's pop-up text source, with the text under each.
std::map<uint32_t, std::string> contextTopics() {
  std::ifstream in(ORV_CONTEXT_TOPICS);
  std::map<uint32_t, std::string> topics;
  std::string line;
  uint32_t current = 0;
  bool inTopic = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(".topic ", 0) == 0) {
      current = static_cast<uint32_t>(std::stoul(line.substr(7)));
      EXPECT_EQ(topics.count(current), 0u) << "topic " << current << " written twice";
      topics[current];
      inTopic = true;
    } else if (inTopic) {
      topics[current] += line;
    }
  }
  return topics;
}

TEST(HelpTables, EveryTopicHasATextInTheHelpFile) {
  auto topics = contextTopics();
  ASSERT_FALSE(topics.empty()) << ORV_CONTEXT_TOPICS;
  std::set<uint32_t> used;
  for (const srv::HelpPage& page : srv::kHelpPages)
    for (const srv::HelpPair* p = page.pairs; p->controlId != 0; ++p) used.insert(p->topic);
  for (uint32_t topic : used) {
    ASSERT_EQ(topics.count(topic), 1u) << "no .topic " << topic;
    EXPECT_GT(topics[topic].size(), 20u) << "topic " << topic << " has almost no text";
  }
  for (const auto& t : topics) EXPECT_EQ(used.count(t.first), 1u) << "unused topic " << t.first;
}

}  // namespace
