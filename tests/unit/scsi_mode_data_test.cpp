// Mode data: what a MODE SENSE header says held against its buffer, finding the page in
// 6- and 10-byte answers, and the MODE SELECT parameter list made from one.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scsi/commands.h"
#include "scsi/mode_data.h"

namespace {

using scsi::ModeHeader;
using V = std::vector<uint8_t>;

// A MODE SENSE(6) answer: header, `descriptor` bytes of block descriptors, the page.
V answer(uint8_t descriptor, V page) {
  V a(4 + descriptor, 0);
  a[3] = descriptor;
  a.insert(a.end(), page.begin(), page.end());
  a[0] = static_cast<uint8_t>(a.size() - 1);
  return a;
}

// The same after a 10-byte CDB: 8-byte header, both lengths 16 bits wide.
V answer10(uint16_t descriptor, V page) {
  V a(8 + descriptor, 0);
  a[6] = static_cast<uint8_t>(descriptor >> 8);
  a[7] = static_cast<uint8_t>(descriptor);
  a.insert(a.end(), page.begin(), page.end());
  const size_t length = a.size() - 2;
  a[0] = static_cast<uint8_t>(length >> 8);
  a[1] = static_cast<uint8_t>(length);
  return a;
}

// The answer in a zeroed buffer of the size the suite reads.
V inBuffer(V bytes, size_t size = scsi::kModeDataLength) {
  bytes.resize(size, 0);
  return bytes;
}

const V kCaching = {0x88, 0x0A, 0x05, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};

TEST(ScsiModeData, LocatePageOnlyInsideWhatWasReturned) {
  struct Case {
    const char* what;
    ModeHeader header;
    V bytes;
    size_t offset, length;  // length 0: no page
  };
  V shortLength = answer(8, kCaching);
  shortLength[0] -= 1;  // the device claims one byte less than the page needs
  V hugeDescriptor = answer(8, kCaching);
  hugeDescriptor[3] = 0xF0;
  V shortLength10 = answer10(8, kCaching);
  shortLength10[1] -= 1;
  V hugeDescriptor10 = answer10(8, kCaching);
  hugeDescriptor10[6] = 0x01;  // 264 bytes of descriptors
  V wide10 = answer10(0, kCaching);
  wide10[0] = 0x01;  // the high byte of the mode data length counts
  const Case cases[] = {
      {"block descriptor", ModeHeader::Six, answer(8, kCaching), 12, 24},
      {"no descriptor", ModeHeader::Six, answer(0, kCaching), 4, 16},
      {"page byte 2 only", ModeHeader::Six, answer(0, {0x08, 0x01, 0x04}), 4, 7},
      {"another page", ModeHeader::Six, answer(8, {0x81, 0x0A, 0xC0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
       0, 0},
      {"header alone", ModeHeader::Six, answer(8, {}), 0, 0},
      {"page longer than the answer", ModeHeader::Six, shortLength, 0, 0},
      {"page past the buffer", ModeHeader::Six, answer(72, kCaching), 0, 0},
      {"descriptor length past the buffer", ModeHeader::Six, hugeDescriptor, 0, 0},
      {"page without byte 2", ModeHeader::Six, answer(0, {0x88, 0x00}), 0, 0},
      {"page length 0 before more bytes", ModeHeader::Six, answer(0, {0x88, 0x00, 0x05}), 0, 0},
      {"10-byte header", ModeHeader::Ten, answer10(8, kCaching), 16, 28},
      {"10-byte header, no descriptor", ModeHeader::Ten, answer10(0, kCaching), 8, 20},
      {"10-byte page longer than the answer", ModeHeader::Ten, shortLength10, 0, 0},
      {"10-byte descriptor length past the buffer", ModeHeader::Ten, hugeDescriptor10, 0, 0},
      {"10-byte answer read as 6-byte", ModeHeader::Six, answer10(8, kCaching), 0, 0},
      {"10-byte wide mode data length", ModeHeader::Ten, wide10, 8, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const V buffer = inBuffer(c.bytes);
    const scsi::ModePage page = scsi::locateModePage(buffer.data(), buffer.size(), 0x08, c.header);
    EXPECT_EQ(page.listLength, c.length);
    EXPECT_EQ(static_cast<bool>(page), c.length != 0);
    if (c.length) {
      EXPECT_EQ(page.offset, c.offset);
    }
  }
  // A mode data length beyond the buffer (a truncated answer) still finds a page inside.
  V truncated = inBuffer(answer(8, kCaching));
  truncated[0] = 0xFF;
  EXPECT_EQ(scsi::locateModePage(truncated.data(), truncated.size(), 0x08).listLength, 24u);
  V truncated10 = inBuffer(answer10(8, kCaching));
  truncated10[0] = truncated10[1] = 0xFF;
  EXPECT_EQ(scsi::locateModePage(truncated10.data(), 84, 0x08, ModeHeader::Ten).listLength, 28u);
  // ...but not when the buffer ends inside the page or the header.
  EXPECT_FALSE(scsi::locateModePage(truncated.data(), 23, 0x08));
  EXPECT_FALSE(scsi::locateModePage(truncated.data(), 3, 0x08));
  EXPECT_FALSE(scsi::locateModePage(truncated10.data(), 7, 0x08, ModeHeader::Ten));
  EXPECT_FALSE(scsi::locateModePage(nullptr, 84, 0x08));

  // The list length must fit the MODE SELECT CDB: one byte after a 6-byte CDB, two after
  // a 10-byte one.
  V full = inBuffer(answer(0, {0x08, 250, 0x04}), 256);
  full[0] = 0xFF;  // header + 252-byte page: 256 bytes
  EXPECT_FALSE(scsi::locateModePage(full.data(), full.size(), 0x08));
  V full10 = inBuffer(answer10(0, {0x08, 250, 0x04}), 260);
  full10[0] = 0x01;  // header + 252-byte page: 260 bytes
  full10[1] = 0x02;
  EXPECT_EQ(scsi::locateModePage(full10.data(), full10.size(), 0x08, ModeHeader::Ten).listLength,
            260u);
}

TEST(ScsiModeData, LayoutTellsWhatWasClaimedFromWhatArrived) {
  V a = inBuffer(answer(8, kCaching));
  scsi::ModeLayout layout = scsi::modeLayout(a.data(), a.size());
  EXPECT_EQ(layout.claimed, 24u);
  EXPECT_EQ(layout.returned, 24u);
  EXPECT_EQ(layout.pageOffset, 12u);
  EXPECT_TRUE(layout.holds(11));  // the page's last byte
  EXPECT_FALSE(layout.holds(12));

  a[0] = 0xFF;  // claims more than the buffer holds
  layout = scsi::modeLayout(a.data(), a.size());
  EXPECT_EQ(layout.claimed, 256u);
  EXPECT_EQ(layout.returned, 84u);
  EXPECT_TRUE(layout.holds(71));
  EXPECT_FALSE(layout.holds(72));

  V b = inBuffer(answer10(0x0102, {}), 300);
  layout = scsi::modeLayout(b.data(), b.size(), ModeHeader::Ten);
  EXPECT_EQ(layout.claimed, 8u + 0x0102);
  EXPECT_EQ(layout.pageOffset, 8u + 0x0102);
  EXPECT_FALSE(layout.holds(0));

  // A buffer shorter than its header says nothing.
  for (const scsi::ModeLayout& none :
       {scsi::modeLayout(a.data(), 3), scsi::modeLayout(nullptr, 84),
        scsi::modeLayout(b.data(), 7, ModeHeader::Ten)}) {
    EXPECT_EQ(none.returned, 0u);
    EXPECT_FALSE(none.holds(0));
  }
}

TEST(ScsiModeData, ModeSelectListFollowsTheAnswersOwnLengths) {
  // Caching page 0x88 (saveable) behind one 8-byte block descriptor; bytes past the page
  // are not the list's.
  V list = inBuffer(answer(8, kCaching));
  list[2] = 0x10;
  std::memset(list.data() + 24, 0xEE, list.size() - 24);
  list[0] = 83;  // the device claims them all
  const scsi::ModePage page = scsi::prepareModeSelectList(list.data(), list.size(), 0x08);
  EXPECT_EQ(page.listLength, 4u + 8 + 0x0A + 2);
  EXPECT_EQ(page.offset, 12u);
  EXPECT_EQ(list[0], 0);      // mode data length is reserved on a select
  EXPECT_EQ(list[2], 0x10);   // the rest of the header stays
  EXPECT_EQ(list[12], 0x08);  // PS bit cleared, page code kept
  EXPECT_EQ(list[13], 0x0A);
  EXPECT_EQ(list[14], 0x05);
  EXPECT_EQ(list[24], 0xEE);

  // After a 10-byte CDB both length bytes are reserved.
  V list10 = inBuffer(answer10(0, kCaching));
  const scsi::ModePage page10 =
      scsi::prepareModeSelectList(list10.data(), list10.size(), 0x08, ModeHeader::Ten);
  EXPECT_EQ(page10.listLength, 20u);
  EXPECT_EQ(list10[0], 0);
  EXPECT_EQ(list10[1], 0);
  EXPECT_EQ(list10[8], 0x08);
}

TEST(ScsiModeData, ModeSelectRefusesLengthsPointingOutsideTheBuffer) {
  // A device that claims 200 bytes of block descriptors, a page longer than the buffer,
  // or another page: nothing is changed and no length is offered.
  V list = inBuffer(answer(0, kCaching));
  list[3] = 200;
  V longPage = inBuffer(answer(8, {0x88, 0x50, 0x04}));
  longPage[0] = 0xFF;  // 4 + 8 + 0x50 + 2 > 84
  V other = inBuffer(answer(0, {0x81, 0x0A, 0xC0}));
  for (V* bytes : {&list, &longPage, &other}) {
    const V before = *bytes;
    EXPECT_FALSE(scsi::prepareModeSelectList(bytes->data(), bytes->size(), 0x08));
    EXPECT_EQ(*bytes, before);
  }
  V fits = inBuffer(answer(8, {0x88, 84 - 14, 0x04}));  // exactly the buffer
  fits[0] = 83;
  EXPECT_EQ(scsi::locateModePage(fits.data(), fits.size(), 0x08).listLength, 84u);
  EXPECT_FALSE(scsi::prepareModeSelectList(fits.data(), 3, 0x08));
  EXPECT_FALSE(scsi::prepareModeSelectList(nullptr, 84, 0x08));
}

}  // namespace
