// Registration, lookup and unlinking of texture records.
#include "TextureTable.h"

TextureHandle TextureTable::Register(ListNode* record)
{
    record->id = 0;
    const std::uint32_t chain = registrationCount % kTextureBuckets;
    record->next = textureChains[chain];
    textureChains[chain] = record;
    ++registrationCount;
    return MakeTextureHandle(chain, record->id);
}

ListNode* TextureTable::Find(TextureHandle handle) const
{
    const std::uint32_t chain = HandleChain(handle);
    if (chain >= kTextureBuckets)
        return nullptr;
    for (ListNode* node = textureChains[chain]; node; node = node->next)
        if (node->id == HandleId(handle))
            return node;
    return nullptr;
}

ListNode* TextureTable::Unlink(TextureHandle handle)
{
    const std::uint32_t chain = HandleChain(handle);
    if (chain >= kTextureBuckets)
        return nullptr;
    for (ListNode** link = &textureChains[chain]; *link; link = &(*link)->next)
    {
        ListNode* node = *link;
        if (node->id == HandleId(handle))
        {
            *link = node->next;
            node->next = nullptr;
            return node;
        }
    }
    return nullptr;
}

std::uint32_t TextureTable::Size() const
{
    std::uint32_t size = 0;
    for (const ListNode* head : textureChains)
        for (const ListNode* node = head; node; node = node->next)
            ++size;
    return size;
}
