#pragma once

#include <cstddef>
#include <vector>

// Values kept packed, in less room than their full form. A value that does not fit its packed
// form is kept in full in a vector of spilled values its holder keeps apart (asked for only
// then), and its packed place holds its index there. TPacked gives Of (the packed value, or
// nothing when it does not fit), Spilled, IsSpilled, SpillIndex and Unpack.
template <class TPacked> class CPackedVector {
public:
    using CValue = typename TPacked::CValue;

    std::size_t Size() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }
    bool IsSpilled(std::size_t index) const { return m_items[index].IsSpilled(); }

    CValue At(std::size_t index, const std::vector<CValue>& spilled) const {
        const TPacked& item = m_items[index];
        return item.IsSpilled() ? spilled[item.SpillIndex()] : item.Unpack();
    }

    // Puts `value` at `index`, or after the others when `index` is Size(). A value spilled
    // once stays spilled. `spilled()` gives the spilled values.
    template <class FSpilled> void Put(std::size_t index, const CValue& value, FSpilled spilled) {
        if (index < m_items.size() && m_items[index].IsSpilled()) {
            spilled()[m_items[index].SpillIndex()] = value;
            return;
        }
        auto packed = TPacked::Of(value);
        if (!packed) {
            std::vector<CValue>& all = spilled();
            packed = TPacked::Spilled(all.size());
            all.push_back(value);
        }
        if (index == m_items.size()) {
            m_items.push_back(*packed);
        } else {
            m_items[index] = *packed;
        }
    }

private:
    std::vector<TPacked> m_items;
};
