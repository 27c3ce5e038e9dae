#include "platform/usn_record_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/index/usn_bytes.h"

namespace kx {
namespace {

TEST(UsnRecordReader, ReadsRecordsBackToBackAfterTheHeader) {
    UsnBytes reply;
    reply.AppendRecord(MakeFileReference(30, 1), kRootDirectoryFrn, u"a.txt",
                       FILE_ATTRIBUTE_ARCHIVE_BIT);
    reply.AppendRecord(MakeFileReference(31, 1), MakeFileReference(30, 1), u"dir",
                       FILE_ATTRIBUTE_DIRECTORY_BIT, 0x100);
    UsnRecordReader reader(reply.data(), reply.size(), kUsnReplyHeaderSize);
    UsnRecordView record;
    ASSERT_EQ(reader.Next(&record), UsnReadStatus::kRecord);
    EXPECT_EQ(record.frn, MakeFileReference(30, 1));
    EXPECT_EQ(record.parentFrn, kRootDirectoryFrn);
    EXPECT_EQ(std::u16string(record.name, record.nameLength), u"a.txt");
    EXPECT_EQ(record.recordLength, 72u) << "60 + 10 bytes of name, rounded up to 8";
    ASSERT_EQ(reader.Next(&record), UsnReadStatus::kRecord);
    EXPECT_EQ(record.reason, 0x100u);
    EXPECT_EQ(record.fileAttributes, FILE_ATTRIBUTE_DIRECTORY_BIT);
    EXPECT_EQ(reader.Next(&record), UsnReadStatus::kEnd);
}

TEST(UsnRecordReader, SkipsRecordsOfAnotherMajorVersion) {
    UsnBytes reply;
    reply.AppendRecord(1, 5, u"v3", 0);
    reply.SetU16(8 + 4, 3);  // MajorVersion of the first record
    reply.AppendRecord(2, 5, u"v2", 0);
    UsnRecordReader reader(reply.data(), reply.size(), kUsnReplyHeaderSize);
    UsnRecordView record;
    ASSERT_EQ(reader.Next(&record), UsnReadStatus::kRecord);
    EXPECT_EQ(record.frn, 2u);
    EXPECT_EQ(reader.Next(&record), UsnReadStatus::kEnd);
}

// Each kind of damage stops the walk at the damaged record, whatever follows it.
struct Damage {
    const char* what;
    std::size_t fieldOffset;  // within the second record
    std::uint32_t value;
    int width;  // 2 or 4 bytes
};

class DamagedRecord : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedRecord, StopsTheWalkWithoutReadingPastTheBytes) {
    const Damage& damage = GetParam();
    UsnBytes reply;
    reply.AppendRecord(1, 5, u"good", 0);
    const std::size_t second = reply.size();
    reply.AppendRecord(2, 5, u"damaged", 0);
    reply.AppendRecord(3, 5, u"after", 0);
    if (damage.width == 4) {
        reply.SetU32(second + damage.fieldOffset, damage.value);
    } else {
        reply.SetU16(second + damage.fieldOffset, static_cast<std::uint16_t>(damage.value));
    }
    // An exactly sized copy, so that AddressSanitizer sees any read past the end.
    std::vector<std::uint8_t> exact(reply.data(), reply.data() + reply.size());
    UsnRecordReader reader(exact.data(), exact.size(), kUsnReplyHeaderSize);
    UsnRecordView record;
    ASSERT_EQ(reader.Next(&record), UsnReadStatus::kRecord);
    EXPECT_EQ(record.frn, 1u);
    EXPECT_EQ(reader.Next(&record), UsnReadStatus::kMalformed) << damage.what;
    EXPECT_EQ(reader.Offset(), second);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, DamagedRecord,
                         ::testing::Values(Damage{"record length 0", 0, 0, 4},
                                           Damage{"shorter than the header", 0, 59, 4},
                                           Damage{"runs past the reply", 0, 4096, 4},
                                           Damage{"name past its record", 56, 200, 2},
                                           Damage{"name offset inside the header", 58, 10, 2},
                                           Damage{"name offset past its record", 58, 400, 2},
                                           Damage{"odd name offset", 58, 61, 2}));

TEST(UsnRecordReader, ATailTooShortForALengthIsMalformed) {
    UsnBytes reply;
    reply.AppendRecord(1, 5, u"x", 0);
    reply.AppendRaw({0x48, 0x00});
    UsnRecordReader reader(reply.data(), reply.size(), kUsnReplyHeaderSize);
    UsnRecordView record;
    ASSERT_EQ(reader.Next(&record), UsnReadStatus::kRecord);
    EXPECT_EQ(reader.Next(&record), UsnReadStatus::kMalformed);
}

TEST(UsnRecordReader, AReplyOfOnlyTheHeaderHasNoRecords) {
    UsnBytes reply;
    UsnRecordReader reader(reply.data(), reply.size(), kUsnReplyHeaderSize);
    UsnRecordView record;
    EXPECT_EQ(reader.Next(&record), UsnReadStatus::kEnd);
}

}  // namespace
}  // namespace kx
