#include <dns_sd.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string bytesOf(const TXTRecordRef& record) {
  return std::string(static_cast<const char*>(TXTRecordGetBytesPtr(&record)), TXTRecordGetLength(&record));
}

struct SetCase {
  const char* key;
  const char* value;  // null: the key alone
  const char* expected;
  size_t expectedLength;
};

TEST(TXTRecord, EncodesEntriesAsLengthPrefixedStrings) {
  const SetCase cases[] = {
      {"a", "1", "\x03" "a=1", 4},
      {"flag", nullptr, "\x04" "flag", 5},
      {"empty", "", "\x06" "empty=", 7},
      {"com.quillfen.version", "1.000", "\x1a" "com.quillfen.version=1.000", 27},
  };
  for (const auto& c : cases) {
    TXTRecordRef record;
    TXTRecordCreate(&record, 0, nullptr);
    uint8_t size = c.value ? uint8_t(strlen(c.value)) : 0;
    ASSERT_EQ(TXTRecordSetValue(&record, c.key, size, c.value), kDNSServiceErr_NoError) << c.key;
    EXPECT_EQ(bytesOf(record), std::string(c.expected, c.expectedLength)) << c.key;
    TXTRecordDeallocate(&record);
  }
}

TEST(TXTRecord, SettingAKeyAgainReplacesItWhateverItsCase) {
  TXTRecordRef record;
  TXTRecordCreate(&record, 0, nullptr);
  TXTRecordSetValue(&record, "a", 1, "1");
  TXTRecordSetValue(&record, "b", 1, "2");
  TXTRecordSetValue(&record, "A", 2, "33");
  EXPECT_EQ(bytesOf(record), std::string("\x03" "b=2" "\x04" "A=33", 9));
  EXPECT_EQ(TXTRecordRemoveValue(&record, "B"), kDNSServiceErr_NoError);
  EXPECT_EQ(TXTRecordRemoveValue(&record, "b"), kDNSServiceErr_NoSuchKey);
  EXPECT_EQ(bytesOf(record), std::string("\x04" "A=33", 5));
  TXTRecordDeallocate(&record);
}

TEST(TXTRecord, RefusesBadKeysAndOversizeEntriesWithoutChangingTheRecord) {
  TXTRecordRef record;
  TXTRecordCreate(&record, 0, nullptr);
  TXTRecordSetValue(&record, "keep", 1, "k");
  std::string before = bytesOf(record);
  std::string big(250, 'v');
  EXPECT_EQ(TXTRecordSetValue(&record, "", 1, "x"), kDNSServiceErr_Invalid);
  EXPECT_EQ(TXTRecordSetValue(&record, "a=b", 1, "x"), kDNSServiceErr_Invalid);
  EXPECT_EQ(TXTRecordSetValue(&record, "tab\tkey", 1, "x"), kDNSServiceErr_Invalid);
  EXPECT_EQ(TXTRecordSetValue(&record, "sixchr", uint8_t(big.size()), big.data()), kDNSServiceErr_Invalid);
  EXPECT_EQ(bytesOf(record), before);
  // 255 bytes is the most an entry holds.
  EXPECT_EQ(TXTRecordSetValue(&record, "four", 250, big.data()), kDNSServiceErr_NoError);
  TXTRecordDeallocate(&record);

  unsigned char small[6];
  TXTRecordCreate(&record, sizeof small, small);
  EXPECT_EQ(TXTRecordSetValue(&record, "a", 1, "1"), kDNSServiceErr_NoError);
  EXPECT_EQ(TXTRecordSetValue(&record, "b", 1, "2"), kDNSServiceErr_NoMemory);
  EXPECT_EQ(bytesOf(record), std::string("\x03" "a=1", 4));
}

TEST(TXTRecord, ReadsValuesItemsAndCounts) {
  // key with value, key with empty value, key alone, an empty string, then a repeated key.
  const std::string wire("\x05" "id=42" "\x02" "e=" "\x01" "k" "\x00" "\x05" "ID=99", 18);
  auto length = uint16_t(wire.size());
  EXPECT_EQ(TXTRecordGetCount(length, wire.data()), 4);
  uint8_t valueLength = 0;
  const void* value = TXTRecordGetValuePtr(length, wire.data(), "Id", &valueLength);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(value), valueLength), "42");
  value = TXTRecordGetValuePtr(length, wire.data(), "e", &valueLength);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(valueLength, 0);
  EXPECT_EQ(TXTRecordGetValuePtr(length, wire.data(), "k", &valueLength), nullptr);
  EXPECT_TRUE(TXTRecordContainsKey(length, wire.data(), "k"));
  EXPECT_FALSE(TXTRecordContainsKey(length, wire.data(), "missing"));

  char key[256];
  EXPECT_EQ(TXTRecordGetItemAtIndex(length, wire.data(), 2, sizeof key, key, &valueLength, &value),
            kDNSServiceErr_NoError);
  EXPECT_STREQ(key, "k");
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(TXTRecordGetItemAtIndex(length, wire.data(), 4, sizeof key, key, &valueLength, &value),
            kDNSServiceErr_Invalid);
  EXPECT_EQ(TXTRecordGetItemAtIndex(length, wire.data(), 0, 2, key, &valueLength, &value), kDNSServiceErr_NoMemory);
}

TEST(TXTRecord, StopsAtALengthThatRunsPastTheEnd) {
  const std::string wire("\x03" "a=1" "\x09" "b=2", 8);
  EXPECT_EQ(TXTRecordGetCount(uint16_t(wire.size()), wire.data()), 1);
  EXPECT_FALSE(TXTRecordContainsKey(uint16_t(wire.size()), wire.data(), "b"));
}

}  // namespace
