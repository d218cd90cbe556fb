#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

// Values kept packed, in less room than their full form. A value that does not fit its packed
// form is kept in full in a vector of spilled values its holder keeps apart (asked for only
// then), and its packed place holds its index there. TPacked gives Of (the packed value, or
// nothing when it does not fit), Spilled, IsSpilled, SpillIndex and Unpack.
// The packed values and their count lie in one block of memory, so that an empty vector takes
// the room of one pointer and a full one pays no more than a word for its count.
template <class TPacked> class CPackedVector {
public:
    using CValue = typename TPacked::CValue;

    CPackedVector() = default;
    CPackedVector(const CPackedVector& other) {
        if (other.Size() != 0) {
            Reserve(other.Size());
            std::memcpy(Items(), other.Items(), other.Size() * sizeof(TPacked));
            m_block->size = other.m_block->size;
        }
    }
    CPackedVector(CPackedVector&&) noexcept = default;
    ~CPackedVector() = default;
    CPackedVector& operator=(CPackedVector other) noexcept {
        std::swap(m_block, other.m_block);
        return *this;
    }

    std::size_t Size() const { return m_block ? m_block->size : 0; }
    // Gives back the room beyond the values that growing by doubling leaves: the block
    // shrinks where it stands (should the allocator refuse, it keeps its room unused).
    void Trim() {
        if (m_block == nullptr || m_block->size == m_block->capacity) {
            return;
        }
        CHeader* const block = m_block.release();
        auto* const trimmed = static_cast<CHeader*>(
            std::realloc(block, sizeof(CHeader) + block->size * sizeof(TPacked)));
        m_block.reset(trimmed != nullptr ? trimmed : block);
        m_block->capacity = m_block->size;
    }
    bool IsEmpty() const { return Size() == 0; }
    // Asks the processor for the values' memory ahead of a read of them.
    void Prefetch() const { __builtin_prefetch(m_block.get()); }

    CValue At(std::size_t index, const std::vector<CValue>& spilled) const {
        const TPacked& item = Items()[index];
        return item.IsSpilled() ? spilled[item.SpillIndex()] : item.Unpack();
    }

    // Every value in full, in order.
    std::vector<CValue> Unpacked(const std::vector<CValue>& spilled) const {
        std::vector<CValue> values;
        values.reserve(Size());
        for (std::size_t i = 0; i < Size(); ++i) {
            values.push_back(At(i, spilled));
        }
        return values;
    }

    // The first packed value `match` accepts, to change in place; null when there is none.
    // Spilled values are not looked at.
    template <class FMatch> TPacked* FindPacked(FMatch match) {
        for (std::size_t i = 0; i < Size(); ++i) {
            if (match(Items()[i])) {
                return &Items()[i];
            }
        }
        return nullptr;
    }

    // Puts `value` at `index`, or after the others when `index` is Size(). A value spilled
    // once stays spilled. `spilled()` gives the spilled values.
    template <class FSpilled> void Put(std::size_t index, const CValue& value, FSpilled spilled) {
        if (index < Size() && Items()[index].IsSpilled()) {
            spilled()[Items()[index].SpillIndex()] = value;
            return;
        }
        auto packed = TPacked::Of(value);
        if (!packed) {
            std::vector<CValue>& all = spilled();
            packed = TPacked::Spilled(all.size());
            all.push_back(value);
        }
        if (index == Size()) {
            Grow();
            ++m_block->size;
        }
        Items()[index] = *packed;
    }

private:
    struct CHeader {
        std::uint32_t size;
        std::uint32_t capacity;
    };
    struct CFree {
        void operator()(CHeader* block) const { std::free(block); }
    };
    static_assert(std::is_trivially_copyable_v<TPacked>);
    static_assert(sizeof(CHeader) % alignof(TPacked) == 0);

    TPacked* Items() { return reinterpret_cast<TPacked*>(m_block.get() + 1); }
    const TPacked* Items() const { return reinterpret_cast<const TPacked*>(m_block.get() + 1); }

    // Makes room for one more value, doubling the room when it is full.
    void Grow() {
        const std::size_t size = Size();
        if (m_block == nullptr || size == m_block->capacity) {
            if (size == std::numeric_limits<std::uint32_t>::max()) {
                throw std::length_error("too many packed values");
            }
            Reserve(std::min<std::size_t>(std::max<std::size_t>(2 * size, 1),
                                          std::numeric_limits<std::uint32_t>::max()));
        }
    }

    void Reserve(std::size_t capacity) {
        const std::size_t size = Size();
        std::unique_ptr<CHeader, CFree> block(
            static_cast<CHeader*>(std::malloc(sizeof(CHeader) + capacity * sizeof(TPacked))));
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        block->size = static_cast<std::uint32_t>(size);
        block->capacity = static_cast<std::uint32_t>(capacity);
        if (size != 0) {
            std::memcpy(block.get() + 1, Items(), size * sizeof(TPacked));
        }
        m_block = std::move(block);
    }

    std::unique_ptr<CHeader, CFree> m_block;
};
