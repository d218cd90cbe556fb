#include "CExecutionHistogram.h"

#include "Saturating.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace {

constexpr std::int64_t kExact = 64;
constexpr int kSubBits = 5; // 32 buckets per power of two
// Room for the buckets of most statements' few executions, taken at once.
constexpr std::size_t kFirstBuckets = 4;

} // namespace

std::uint16_t CExecutionHistogram::BucketOf(std::int64_t elapsed) {
    if (elapsed < kExact) {
        return static_cast<std::uint16_t>(elapsed);
    }
    const auto value = static_cast<std::uint64_t>(elapsed);
    const int exponent = std::bit_width(value) - 1; // 6 to 62
    const auto sub = static_cast<int>((value >> (exponent - kSubBits)) & 31);
    return static_cast<std::uint16_t>(kExact + (exponent - 6) * 32 + sub);
}

std::int64_t CExecutionHistogram::MiddleOf(std::uint16_t index) {
    if (index < kExact) {
        return index;
    }
    const int exponent = 6 + (index - kExact) / 32;
    const int sub = (index - kExact) % 32;
    const int shift = exponent - kSubBits;
    const std::int64_t lower = static_cast<std::int64_t>(32 + sub) << shift;
    return lower + ((std::int64_t{1} << shift) >> 1);
}

void CExecutionHistogram::Add(std::int64_t elapsed) {
    elapsed = std::max<std::int64_t>(0, elapsed);
    if (m_nCount > 0) {
        AddToBucket(BucketOf(elapsed), 1);
    }
    m_nMin = m_nCount == 0 ? elapsed : std::min(m_nMin, elapsed);
    m_nMax = m_nCount == 0 ? elapsed : std::max(m_nMax, elapsed);
    m_nCount = SaturatingAdd(m_nCount, 1);
}

void CExecutionHistogram::Merge(const CExecutionHistogram& other) {
    if (other.InOneBucket()) {
        AddInOneBucket(other.m_nCount, other.m_nMin, other.m_nMax);
        return;
    }
    if (m_nCount == 0) {
        *this = other;
        return;
    }
    for (const CBucket& bucket : other.m_buckets) {
        AddToBucket(bucket.index, bucket.count);
        m_nCount = SaturatingAdd(m_nCount, bucket.count);
    }
    m_nMin = std::min(m_nMin, other.m_nMin);
    m_nMax = std::max(m_nMax, other.m_nMax);
}

void CExecutionHistogram::AddInOneBucket(std::int64_t count, std::int64_t min, std::int64_t max) {
    if (count == 0) {
        return;
    }
    if (m_nCount == 0) {
        m_nCount = count;
        m_nMin = min;
        m_nMax = max;
        return;
    }
    AddToBucket(BucketOf(min), count);
    m_nCount = SaturatingAdd(m_nCount, count);
    m_nMin = std::min(m_nMin, min);
    m_nMax = std::max(m_nMax, max);
}

// Adds to a histogram that holds times already (m_nCount of them, before these). While they
// all share one bucket it is the least time's, and no list is kept.
void CExecutionHistogram::AddToBucket(std::uint16_t index, std::int64_t count) {
    if (m_buckets.empty()) {
        const std::uint16_t only = BucketOf(m_nMin);
        if (index == only) {
            return;
        }
        m_buckets.reserve(kFirstBuckets);
        m_buckets.push_back(CBucket{only, m_nCount});
    }
    const auto at = std::lower_bound(m_buckets.begin(), m_buckets.end(), index,
                                     [](const CBucket& b, std::uint16_t i) { return b.index < i; });
    if (at != m_buckets.end() && at->index == index) {
        at->count = SaturatingAdd(at->count, count);
    } else {
        m_buckets.insert(at, CBucket{index, count});
    }
}

CExecutionHistogram CExecutionHistogram::OfOneBucket(std::int64_t count, std::int64_t min,
                                                     std::int64_t max) {
    CExecutionHistogram histogram;
    histogram.m_nCount = count;
    histogram.m_nMin = min;
    histogram.m_nMax = max;
    return histogram;
}

CExecutionSummary CExecutionHistogram::Summary() const {
    return {m_nCount, m_nMin, Percentile(50), Percentile(95), m_nMax};
}

void CExecutionHistogram::Clear() {
    m_buckets.clear();
    m_nCount = 0;
    m_nMin = 0;
    m_nMax = 0;
}

// ceil(percent / 100 * count), in 64 bits where the product fits, as a division of 128-bit
// numbers takes many times as long and every group's summary asks for two ranks.
std::int64_t CExecutionHistogram::RankOf(std::int64_t count, int percent) {
    if (count <= (std::numeric_limits<std::int64_t>::max() - 99) / 100) {
        return (count * percent + 99) / 100;
    }
    return static_cast<std::int64_t>((static_cast<__int128>(count) * percent + 99) / 100);
}

std::int64_t CExecutionHistogram::Percentile(int percent) const {
    if (m_nCount == 0) {
        return 0;
    }
    const std::int64_t rank = RankOf(m_nCount, std::clamp(percent, 0, 100));
    if (rank <= 1) {
        return m_nMin;
    }
    if (rank >= m_nCount) {
        return m_nMax;
    }
    if (m_buckets.empty()) {
        return std::clamp(MiddleOf(BucketOf(m_nMin)), m_nMin, m_nMax);
    }
    std::int64_t seen = 0;
    for (const CBucket& bucket : m_buckets) {
        seen = SaturatingAdd(seen, bucket.count);
        if (seen >= rank) {
            return std::clamp(MiddleOf(bucket.index), m_nMin, m_nMax);
        }
    }
    return m_nMax;
}
