#pragma once

#include <cstdint>
#include <vector>

// How many executions, the least, median, 95th percentile and greatest elapsed time.
struct CExecutionSummary {
    std::int64_t count = 0;
    std::int64_t min = 0;
    std::int64_t median = 0;
    std::int64_t p95 = 0;
    std::int64_t max = 0;

    bool operator==(const CExecutionSummary&) const = default;
};

// Elapsed times in logarithmic buckets with the exact least and greatest time. A time below
// 64 microseconds has a bucket of its own; from 64 on, every power of two is cut into 32
// buckets, so a bucket is at most 1/32 as wide as the times in it, and its middle is within
// 1/64 (1.6 %) of each of them. Only buckets that hold a time take memory: at most 1,888.
class CExecutionHistogram {
public:
    void Add(std::int64_t elapsed);
    void Merge(const CExecutionHistogram& other);
    // Merges the histogram OfOneBucket makes of these.
    void AddInOneBucket(std::int64_t count, std::int64_t min, std::int64_t max);

    std::int64_t Count() const { return m_nCount; }
    std::int64_t Min() const { return m_nMin; }
    std::int64_t Max() const { return m_nMax; }
    // The nearest-rank percentile: the time of rank ceil(percent / 100 * count), read as the
    // middle of its bucket kept within [Min, Max]. Exact below 64 microseconds and for the
    // first and the last rank; 0 when empty.
    std::int64_t Percentile(int percent) const;
    CExecutionSummary Summary() const;
    // Whether every time is in the least time's bucket: then the count, least and greatest
    // time are all there is to the histogram, and OfOneBucket makes it again.
    bool InOneBucket() const { return m_buckets.empty(); }
    static CExecutionHistogram OfOneBucket(std::int64_t count, std::int64_t min, std::int64_t max);
    // Empties the histogram and keeps its memory for the next times.
    void Clear();

    bool operator==(const CExecutionHistogram&) const = default;

private:
    struct CBucket {
        std::uint16_t index = 0;
        std::int64_t count = 0;

        bool operator==(const CBucket&) const = default;
    };

    static std::uint16_t BucketOf(std::int64_t elapsed);
    static std::int64_t MiddleOf(std::uint16_t index);
    static std::int64_t RankOf(std::int64_t count, int percent);
    void AddToBucket(std::uint16_t index, std::int64_t count);

    // By index; empty while every time is in the least time's bucket, as most statements'
    // few executions are, so that they take no memory of their own.
    std::vector<CBucket> m_buckets;
    std::int64_t m_nCount = 0;
    std::int64_t m_nMin = 0;
    std::int64_t m_nMax = 0;
};
