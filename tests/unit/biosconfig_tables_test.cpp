// The family tables as data: every rate item of every family and width reads back as
// the item written, the text <-> code cases the pages rely on, the termination
// encodings, the Advanced page's combos, and blocks holding values no item stands for.
#include <gtest/gtest.h>

#include <string>

#include "biosconfig/config_logic.h"
#include "tests/unit/biosconfig_fixture.h"

namespace {

using namespace bios;
using biostest::Adapters;

uint16_t wideWord(unsigned family, bool wide) {
  return wide ? deviceBits(family).wide : 0;
}

TEST(BiosconfigTables, EveryRateItemReadsBackAsWritten) {
  for (unsigned family = 1; family <= 4; ++family) {
    for (bool wide : {false, true}) {
      const std::vector<std::string> items = rateItems(family, wide);
      ASSERT_GE(items.size(), 2u) << family;
      ASSERT_LE(items.size(), kMaxRateItems);
      EXPECT_EQ(items.back(), "Asyn");
      for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        // Other bits of the word stay as they were.
        for (uint16_t start : {uint16_t(0), uint16_t(0xFFFF)}) {
          uint16_t word = static_cast<uint16_t>((start & ~deviceBits(family).wide) |
                                                wideWord(family, wide));
          const RateWrite written = writeRate(family, word, i);
          EXPECT_FALSE(written.uninterpreted);
          EXPECT_EQ(rateIndex(family, written.word), i)
              << "family " << family << (wide ? " wide " : " narrow ") << items[i];
          const uint16_t rateBits = isFamily4(family) ? kPeriodFactorMask : 0x00CF;
          EXPECT_EQ(written.word & ~rateBits, word & ~rateBits) << items[i];
        }
      }
    }
  }
}

TEST(BiosconfigTables, RateCasesOfTheFamilies) {
  // Family 2, wide, code 21: "40.0" (item 6); "80.0 (*)" writes code 19.
  uint16_t w = withRateCode(deviceBits(2).wide, 21);
  EXPECT_EQ(rateIndex(2, w), 6);
  EXPECT_EQ(rateItems(2, true)[6], "40.0");
  const uint16_t fastest = writeRate(2, w, 8).word;
  EXPECT_EQ(rateCode(fastest), 19);
  EXPECT_EQ(fastest & 0x00CF, 0x0008 | 0x0003 | 0x0080);  // bit 3, bits 0-2 = 3, bit 7
  // Family 1, narrow, code 8: "20.0 (*)".
  w = withRateCode(0, 8);
  EXPECT_EQ(rateItems(1, false)[rateIndex(1, w)], "20.0 (*)");
  // Turning wide on and off again reselects by the unchanged code.
  EXPECT_EQ(rateItems(1, true)[rateIndex(1, w | deviceBits(1).wide)], "40.0 (*)");
  // Family 1 looks up only the low four code bits.
  EXPECT_EQ(rateItems(1, false)[rateIndex(1, withRateCode(0, 8 + 16))], "20.0 (*)");
  // Family 3, wide, code 2: "160.0 (*)", and "160" in the all-device table.
  w = withRateCode(deviceBits(3).wide, 2);
  EXPECT_EQ(rateItems(3, true)[rateIndex(3, w)], "160.0 (*)");
  EXPECT_EQ(allDeviceRateText(3, w), "160");
  EXPECT_EQ(allDeviceRateText(2, w), "0.0");  // family 2 has no code 2
  EXPECT_EQ(rateIndex(2, w), -1);
  // Asynchronous whatever the code.
  EXPECT_EQ(allDeviceRateText(1, 0x00C7), "Asyn");
  EXPECT_EQ(rateIndex(1, 0x00C7), 6 + 1);
  // Narrow lists of families 2 and 3 offer no rate that the block cannot hold.
  for (unsigned family : {2u, 3u})
    for (const std::string& item : rateItems(family, false)) EXPECT_NE(item, "32.0");
}

TEST(BiosconfigTables, PeriodFactorsOfFamily4) {
  const uint16_t wide = deviceBits(4).wide;
  EXPECT_EQ(rateIndex(4, wide | 9), 1);
  EXPECT_EQ(rateItems(4, true)[1], "160");
  EXPECT_EQ(rateIndex(4, 9), 0);
  EXPECT_EQ(rateItems(4, false)[0], "40.0 (*)");
  EXPECT_EQ(rateIndex(4, wide | 7), 0);  // 7 reads like 8
  EXPECT_EQ(rateIndex(4, 63), 6);
  EXPECT_EQ(rateIndex(4, wide | 63), 8);
  EXPECT_EQ(rateIndex(4, 14), -1);  // a factor the table does not have
  EXPECT_EQ(allDeviceRateText(4, 14), "0.0");
  EXPECT_EQ(allDeviceRateText(4, wide | 8), "320");
  EXPECT_EQ(allDeviceRateText(4, 8), "0.0");
  EXPECT_EQ(allDeviceRateText(4, 11), "33.3");
  EXPECT_EQ(allDeviceRateText(4, 63), "Asyn");
  // Writing keeps every bit above the factor, packetized and quick arbitration included.
  EXPECT_EQ(writeRate(4, 0xEFC0 | 9, 4).word, 0xEFC0 | 25);
  EXPECT_EQ(writeRate(4, 0xFFC0 | 9, 4).word, 0xFFC0 | 12);  // wide: the wide list's item 4
  EXPECT_EQ(writeRate(4, 0x0000, 9).word, 0x0000);  // beyond the narrow list: unchanged
}

TEST(BiosconfigTables, FamiliesOutsideOneToFourOfferOnlyAsyn) {
  for (unsigned family : {0u, 5u, 0xFFFFFFFFu}) {
    EXPECT_EQ(rateItems(family, false), (std::vector<std::string>{"Asyn"}));
    EXPECT_EQ(rateIndex(family, 0x0000), 0);
    EXPECT_EQ(rateIndex(family, 0x0008), -1);
    EXPECT_EQ(allDeviceRateText(family, 0x0008), "0.0");
    EXPECT_EQ(writeRate(family, 0x000F, 0).word, 0x0007);
  }
}

TEST(BiosconfigTables, WriteBackCacheBits) {
  EXPECT_EQ(writeBackChoice(0x4000), 0);
  EXPECT_EQ(writeBackChoice(0x0000), 1);
  EXPECT_EQ(writeBackChoice(0xC000), 2);
  EXPECT_EQ(writeBackChoice(0x8000), -1);  // 10 selects no button
  for (int c = 0; c < 3; ++c) EXPECT_EQ(writeBackChoice(writeWriteBack(0x8123, c)), c);
  EXPECT_EQ(writeWriteBack(0x8123, 1), 0x0123);
}

// ---- termination ----

Adapters terminationAdapter(unsigned family, uint32_t layout, uint32_t lvd, uint32_t se) {
  Adapters a(1, family);
  a[0].model.connectorLayout = layout;
  a[0].model.lvdTerminationChoices = lvd;
  a[0].model.seTerminationChoices = se;
  return a;
}

TEST(BiosconfigTables, EveryTerminationChoiceReadsBackAsWritten) {
  for (unsigned family = 1; family <= 4; ++family)
    for (uint32_t layout : {0u, 1u})
      for (uint8_t function : {uint8_t(0), uint8_t(1)})
        for (uint32_t lvd : {3u, 5u})
          for (uint32_t se : {3u, 5u}) {
            Adapters a = terminationAdapter(family, layout, lvd, se);
            a[0].pciFunction = function;
            const TerminationLayout t = terminationLayout(a[0]);
            EXPECT_EQ(t.seShown, layout == 1);
            for (const TerminationCombo* combo : {&t.lvd, &t.se}) {
              if (combo == &t.se && !t.seShown) continue;
              for (int i = 0; i < static_cast<int>(combo->items.size()); ++i)
                for (uint16_t start : {uint16_t(0), uint16_t(0xFFFF), uint16_t(0x2345)}) {
                  const uint16_t w = writeTermination(*combo, start, i);
                  EXPECT_EQ(readTermination(*combo, w), i)
                      << "family " << family << " layout " << layout << " fn " << int(function)
                      << " choices " << lvd << "/" << se << " item " << i;
                  EXPECT_EQ(w & ~combo->scheme->mask, start & ~combo->scheme->mask);
                }
            }
          }
}

TEST(BiosconfigTables, TerminationReadingsAndWrites) {
  // Family 2, three choices, 0x000C: "Enabled"; "Disabled" leaves 0x0008.
  Adapters a = terminationAdapter(2, 0, 3, 3);
  TerminationLayout t = terminationLayout(a[0]);
  EXPECT_EQ(t.lvd.items, (std::vector<unsigned>{123, 32893, 32894}));
  EXPECT_EQ(readTermination(t.lvd, 0x000C), 1);
  EXPECT_EQ(writeTermination(t.lvd, 0x000C, 2) & 0x200D, 0x0008);
  EXPECT_EQ(writeTermination(t.lvd, 0x0000, 0), 0x200D);
  EXPECT_EQ(readTermination(t.lvd, 0x2009), 0);
  // Five choices list four items.
  a = terminationAdapter(3, 1, 5, 5);
  t = terminationLayout(a[0]);
  EXPECT_EQ(t.lvd.items, (std::vector<unsigned>{123, 125, 126, 127}));
  EXPECT_EQ(readTermination(t.lvd, 0x0000), 2);
  EXPECT_EQ(readTermination(t.se, 0x1000), 3);
  EXPECT_EQ(readTermination(t.se, 0x1400), 0);
  EXPECT_EQ(writeTermination(t.se, 0xFFFF, 2), 0xE3FF);
  // Family 4 reads bits 0-2 and 7.
  a = terminationAdapter(4, 0, 5, 5);
  t = terminationLayout(a[0]);
  EXPECT_EQ(readTermination(t.lvd, 0x0006), 1);
  EXPECT_EQ(readTermination(t.lvd, 0x0086), 0);
  EXPECT_EQ(readTermination(t.lvd, 0x2008), 2);  // bits 3 and 13 are not family 4's
  a = terminationAdapter(4, 0, 3, 3);
  t = terminationLayout(a[0]);
  EXPECT_EQ(readTermination(t.lvd, 0x0005), 1);
  EXPECT_EQ(readTermination(t.lvd, 0x0004), 2);
  // Channel B of a one-connector card: the SE list and encoding.
  a = terminationAdapter(2, 0, 5, 3);
  a[0].pciFunction = 1;
  t = terminationLayout(a[0]);
  EXPECT_EQ(t.lvd.items.size(), 3u);
  EXPECT_EQ(t.lvd.scheme->mask, 0x1C00);
  EXPECT_EQ(readTermination(t.lvd, 0x1800), 1);
}

TEST(BiosconfigTables, TerminationOutOfShape) {
  Adapters a = terminationAdapter(1, 1, 3, 3);
  a[0].model.channelCount = 2;
  EXPECT_TRUE(terminationLayout(a[0]).unsupported);
  a[0].model.channelCount = 1;
  EXPECT_FALSE(terminationLayout(a[0]).unsupported);
  a[0].model.channelCount = 2;
  a[0].model.connectorLayout = 0;
  EXPECT_FALSE(terminationLayout(a[0]).unsupported);
  // A count other than 3 or 5: no items, item 0 read, nothing written.
  a = terminationAdapter(1, 0, 0, 4);
  const TerminationLayout t = terminationLayout(a[0]);
  EXPECT_TRUE(t.lvd.items.empty());
  EXPECT_EQ(readTermination(t.lvd, 0x1234), 0);
  EXPECT_EQ(writeTermination(t.lvd, 0x1234, 0), 0x1234);
  // An index beyond the writes changes nothing.
  const TerminationLayout five = terminationLayout(terminationAdapter(1, 0, 5, 5)[0]);
  EXPECT_EQ(writeTermination(five.lvd, 0x1234, 4), 0x1234);
  EXPECT_EQ(writeTermination(five.lvd, 0x1234, -1), 0x1234);
}

// ---- Bus Interface and Boot Device readings ----

TEST(BiosconfigTables, IdListsFollowTheTargetCount) {
  Adapters a(1);
  for (uint8_t targets : {uint8_t(8), uint8_t(16), uint8_t(0), uint8_t(255)}) {
    a[0].maxTargets = targets;
    EXPECT_EQ(hostIdItemCount(a[0]), targets > 8 ? 16 : 8);
    EXPECT_EQ(bootTargetItemCount(a[0]), targets != 8 ? 16 : 8);
    EXPECT_LE(deviceItemCount(a[0]), 16);
  }
  a[0].maxTargets = 8;
  configBlock(a[0]).hostIdByte = 0xFC;  // ID 12 on an 8-target list: nothing selected
  EXPECT_EQ(hostIdIndex(a[0]), -1);
  writeHostId(configBlock(a[0]), 3);
  EXPECT_EQ(configBlock(a[0]).hostIdByte, 0xF3);
  EXPECT_EQ(hostIdIndex(a[0]), 3);
  configBlock(a[0]).bootByte = 0x9C;
  EXPECT_EQ(bootTargetIndex(a[0]), -1);
  EXPECT_EQ(bootLunIndex(a[0]), -1);
  a[0].maxTargets = 16;
  EXPECT_EQ(bootTargetIndex(a[0]), 9);
}

// ---- Advanced ----

TEST(BiosconfigTables, AdvancedCheckBoxesByFamily) {
  struct Case {
    int control;
    unsigned family;
    uint16_t bios, adapter;
  } cases[] = {
      {1265, 4, 0x0800, 0}, {1265, 2, 0, 0x0040}, {1266, 1, 0x0020, 0}, {1267, 4, 0x0080, 0},
      {1270, 4, 0x0010, 0}, {1270, 3, 0, 0x4000}, {1271, 4, 0x0100, 0}, {1271, 1, 0x0800, 0},
      {1272, 2, 0x1000, 0}, {1272, 4, 0x1000, 0},
  };
  for (const Case& c : cases) {
    EepromConfig block = {};
    const OptionBit option = advancedOption(c.control, c.family);
    writeOption(block, option, true);
    EXPECT_EQ(block.biosControl, c.bios) << c.control << " family " << c.family;
    EXPECT_EQ(block.adapterControl, c.adapter) << c.control << " family " << c.family;
    EXPECT_TRUE(optionChecked(block, option));
    writeOption(block, option, false);
    EXPECT_EQ(block.biosControl | block.adapterControl, 0);
  }
  EXPECT_EQ(advancedOption(1000, 2).bit, 0);
}

TEST(BiosconfigTables, AdvancedCombos) {
  EepromConfig block = {};
  block.biosVersionWord = 0x0250;
  EXPECT_EQ(postModeItemCount(block, 2), 2);
  EXPECT_EQ(postModeItemCount(block, 4), 3);
  block.biosVersionWord = 0x0320;
  EXPECT_EQ(postModeItemCount(block, 2), 3);
  block.biosVersionWord = 0x0250;
  block.biosControl = 0x0400;  // diagnostic where only two items are offered
  EXPECT_EQ(postModeIndex(block, 2), -1);
  EXPECT_EQ(postModeIndex(block, 4), 2);
  block.biosControl = 0x0600;
  EXPECT_EQ(postModeIndex(block, 4), -1);
  writePostMode(block, 1);
  EXPECT_EQ(block.biosControl, 0x0200);

  for (int i = 0; i < 3; ++i) {
    writeInt13(block, i);
    EXPECT_EQ(int13Index(block), i);
    writeRemovable(block, i);
    EXPECT_EQ(removableIndex(block), i);
  }
  block.biosControl = 0;
  writeInt13(block, 2);  // "Disabled with bus scan": 10
  EXPECT_EQ(block.biosControl, 0x0008);
  EXPECT_FALSE(int13Enabled(block));
  writeInt13(block, 0);
  EXPECT_EQ(block.biosControl, 0x0004);
  EXPECT_TRUE(int13Enabled(block));
  writeRemovable(block, 1);  // "Boot Disk Only": 10
  EXPECT_EQ(block.biosControl, 0x0006);
  block.biosControl = 0x000F;  // 11 in both fields: no item
  EXPECT_EQ(int13Index(block), -1);
  EXPECT_EQ(removableIndex(block), -1);
}

}  // namespace
