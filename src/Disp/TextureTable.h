// The table of texture records behind every TextureHandle, shared by the three back ends.
#pragma once

#include "Disp.h"

#include <cstdint>

constexpr std::uint32_t kTextureBuckets = 32;

// Base of every back end's texture record; records are deleted through it.
class ListNode
{
  public:
    virtual ~ListNode() = default;

    ListNode* next = nullptr;
    std::uint32_t id = 0; // only the low 24 bits take part in handles
};

inline TextureHandle MakeTextureHandle(std::uint32_t chain, std::uint32_t id)
{
    return TextureHandle{(id & 0xFFFFFFu) | (chain << 24)};
}

inline std::uint32_t HandleChain(TextureHandle handle)
{
    return handle.value >> 24;
}
inline std::uint32_t HandleId(TextureHandle handle)
{
    return handle.value & 0xFFFFFFu;
}

// 32 chains filled in turn by a counter that never decreases, newest record at the head. Every
// id is 0, so a handle names its chain and resolves to the record registered last into it.
class TextureTable
{
  public:
    TextureHandle Register(ListNode* record);
    // Null for a handle whose chain holds no record with its id (or names no chain at all).
    ListNode* Find(TextureHandle handle) const;
    // Takes the record Find would return out of its chain and returns it; null if there is none.
    ListNode* Unlink(TextureHandle handle);

    std::uint32_t RegistrationCount() const { return registrationCount; }
    // Records still registered.
    std::uint32_t Size() const;

  private:
    ListNode* textureChains[kTextureBuckets] = {};
    std::uint32_t registrationCount = 0;
};
