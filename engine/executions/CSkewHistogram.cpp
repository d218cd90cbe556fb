#include "CSkewHistogram.h"

#include "Saturating.h"

#include <algorithm>

CSkewHistogram CSkewHistogram::OfElapsed(const std::vector<CExecution>& executions) {
    CSkewHistogram histogram;
    for (const CExecution& execution : executions) {
        histogram.Add(execution.elapsed);
    }
    return histogram;
}

void CSkewHistogram::Add(std::int64_t duration) {
    duration = std::max<std::int64_t>(duration, 0);
    CBucket& bucket = m_buckets[BucketOf(duration)];
    bucket.min = bucket.count == 0 ? duration : std::min(bucket.min, duration);
    bucket.max = std::max(bucket.max, duration);
    ++bucket.count;
    bucket.total = SaturatingAdd(bucket.total, duration);
    ++m_nCount;
    m_nTotal = SaturatingAdd(m_nTotal, duration);
}

void CSkewHistogram::Merge(const CSkewHistogram& other) {
    for (std::size_t i = 0; i < kBuckets; ++i) {
        const CBucket& theirs = other.m_buckets[i];
        if (theirs.count == 0) {
            continue;
        }
        CBucket& ours = m_buckets[i];
        ours.min = ours.count == 0 ? theirs.min : std::min(ours.min, theirs.min);
        ours.max = std::max(ours.max, theirs.max);
        ours.count += theirs.count;
        ours.total = SaturatingAdd(ours.total, theirs.total);
    }
    m_nCount += other.m_nCount;
    m_nTotal = SaturatingAdd(m_nTotal, other.m_nTotal);
}

std::vector<CSkewHistogram::CRow> CSkewHistogram::Rows() const {
    std::vector<CRow> rows;
    for (std::size_t i = 0; i < kBuckets; ++i) {
        const CBucket& bucket = m_buckets[i];
        if (bucket.count == 0) {
            continue;
        }
        CRow& row = rows.emplace_back();
        row.bucket = i;
        row.count = bucket.count;
        row.total = bucket.total;
        row.min = bucket.min;
        row.mean = bucket.total / bucket.count;
        row.max = bucket.max;
        row.timeShare =
            m_nTotal == 0 ? 0.0 : static_cast<double>(bucket.total) / static_cast<double>(m_nTotal);
        row.countShare = static_cast<double>(bucket.count) / static_cast<double>(m_nCount);
    }
    return rows;
}

std::size_t CSkewHistogram::BucketOf(std::int64_t duration) {
    std::size_t bucket = 0;
    for (std::int64_t bound = 1; bucket + 1 < kBuckets && duration >= bound; bound *= 10) {
        ++bucket;
    }
    return bucket;
}

std::int64_t CSkewHistogram::LowerBound(std::size_t bucket) {
    std::int64_t bound = bucket == 0 ? 0 : 1;
    for (std::size_t i = 1; i < bucket; ++i) {
        bound *= 10;
    }
    return bound;
}
