#pragma once

#include "CExecution.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Durations in microseconds in buckets of powers of ten, to show how skewed they are: below
// 1 µs, then [1 µs, 10 µs), [10 µs, 100 µs), ... [100 s, 1000 s), and 1000 s or more. Each
// bucket keeps its count, total, least and greatest duration; a duration below 0 (a damaged
// figure) counts as 0.
class CSkewHistogram {
public:
    static constexpr std::size_t kBuckets = 11;

    // One bucket that holds a duration, with its shares of the whole histogram.
    struct CRow {
        std::size_t bucket = 0;
        std::int64_t count = 0;
        std::int64_t total = 0;
        std::int64_t min = 0;
        std::int64_t mean = 0; // total / count, rounded down
        std::int64_t max = 0;
        double timeShare = 0;  // of the total, 0 when the total is 0
        double countShare = 0; // of the count

        bool operator==(const CRow&) const = default;
    };

    // The elapsed times of `executions`.
    static CSkewHistogram OfElapsed(const std::vector<CExecution>& executions);

    void Add(std::int64_t duration);
    void Merge(const CSkewHistogram& other);

    std::int64_t Count() const { return m_nCount; }
    std::int64_t Total() const { return m_nTotal; }
    // The buckets that hold a duration, shortest first.
    std::vector<CRow> Rows() const;

    static std::size_t BucketOf(std::int64_t duration);
    // The least duration of a bucket: 0 for the first, then 1, 10, 100 ... microseconds.
    static std::int64_t LowerBound(std::size_t bucket);

    bool operator==(const CSkewHistogram&) const = default;

private:
    struct CBucket {
        std::int64_t count = 0;
        std::int64_t total = 0;
        std::int64_t min = 0;
        std::int64_t max = 0;

        bool operator==(const CBucket&) const = default;
    };

    std::array<CBucket, kBuckets> m_buckets{};
    std::int64_t m_nCount = 0;
    std::int64_t m_nTotal = 0;
};
