// The texture table: handle arithmetic, 32 chains, head insertion, lookup and unlinking.
#include "TextureTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
struct Record : ListNode
{
    explicit Record(int tag) : tag(tag) {}
    int tag;
};

class TextureTableTest : public ::testing::Test
{
  protected:
    Record* Add(int tag)
    {
        records.push_back(std::make_unique<Record>(tag));
        records.back()->id = 0x123456; // registration resets it
        return records.back().get();
    }

    TextureTable table;
    std::vector<std::unique_ptr<Record>> records;
};

int TagOf(const ListNode* node)
{
    return node ? static_cast<const Record*>(node)->tag : -1;
}
} // namespace

TEST(TextureHandleTest, ChainInTheTopByteIdInTheLow24Bits)
{
    EXPECT_EQ(MakeTextureHandle(0, 0).value, 0u);
    EXPECT_EQ(MakeTextureHandle(5, 7).value, 0x05000007u);
    EXPECT_EQ(MakeTextureHandle(31, 0x1FFFFFF).value, 0x1FFFFFFFu);
    EXPECT_EQ(HandleChain(TextureHandle{0xAB123456}), 0xABu);
    EXPECT_EQ(HandleId(TextureHandle{0xAB123456}), 0x123456u);
}

TEST_F(TextureTableTest, RegistrationsFillTheChainsInTurn)
{
    for (int i = 0; i < 32; ++i)
    {
        const TextureHandle handle = table.Register(Add(i));
        EXPECT_EQ(handle.value, std::uint32_t(i) << 24);
        EXPECT_EQ(TagOf(table.Find(handle)), i);
    }
    EXPECT_EQ(records[0]->id, 0u);
    EXPECT_EQ(table.RegistrationCount(), 32u);
    EXPECT_EQ(table.Size(), 32u);
}

TEST_F(TextureTableTest, The33rdRegistrationLandsAtTheHeadOfChainZero)
{
    for (int i = 0; i < 33; ++i)
        table.Register(Add(i));
    EXPECT_EQ(TagOf(table.Find(TextureHandle{0})), 32);
    EXPECT_EQ(records[32]->next, records[0].get());
    // Releasing handle 0 takes the newer record; the older one answers again.
    EXPECT_EQ(TagOf(table.Unlink(TextureHandle{0})), 32);
    EXPECT_EQ(TagOf(table.Find(TextureHandle{0})), 0);
    EXPECT_EQ(table.Size(), 32u);
}

TEST_F(TextureTableTest, HandlesThatNameNoRecordFindNothingAndUnlinkNothing)
{
    table.Register(Add(0));
    table.Register(Add(1));
    const TextureHandle strangers[] = {
        TextureHandle{0x05000000}, // an empty chain
        TextureHandle{0x00000001}, // an id no record has
        TextureHandle{0x20000000}, // chain 32: past the table
        TextureHandle{0xFFFFFFFF},
    };
    for (const TextureHandle handle : strangers)
    {
        EXPECT_EQ(table.Find(handle), nullptr) << std::hex << handle.value;
        EXPECT_EQ(table.Unlink(handle), nullptr) << std::hex << handle.value;
    }
    EXPECT_EQ(table.Size(), 2u);
    EXPECT_EQ(TagOf(table.Find(TextureHandle{0x01000000})), 1);
}

TEST_F(TextureTableTest, ReleaseThenCreateTakesTheNextChainNotTheFreedOne)
{
    table.Register(Add(0));
    const TextureHandle released = table.Register(Add(1));
    EXPECT_EQ(TagOf(table.Unlink(released)), 1);
    EXPECT_EQ(table.Find(released), nullptr);
    const TextureHandle next = table.Register(Add(2));
    EXPECT_EQ(next.value, 0x02000000u);
    EXPECT_EQ(table.RegistrationCount(), 3u);
    EXPECT_EQ(table.Size(), 2u);
}

TEST_F(TextureTableTest, UnlinkKeepsTheRestOfTheChain)
{
    for (int i = 0; i < 65; ++i)
        table.Register(Add(i));
    // Chain 0 holds 64, 32, 0; give the middle one its own id to unlink it from inside.
    records[32]->id = 9;
    EXPECT_EQ(TagOf(table.Unlink(TextureHandle{9})), 32);
    EXPECT_EQ(records[64]->next, records[0].get());
    EXPECT_EQ(TagOf(table.Unlink(TextureHandle{0})), 64);
    EXPECT_EQ(TagOf(table.Unlink(TextureHandle{0})), 0);
    EXPECT_EQ(table.Unlink(TextureHandle{0}), nullptr);
}
