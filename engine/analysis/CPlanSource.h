#pragma once

#include <cstdint>
#include <string>

// One row source of a plan over the dumps of it: its rows in the first dump, on average and
// at most, the figures its STAT lines carry (actual figures on average over the dumps, the
// estimates of the first dump; -1 where its lines carry none) and its time less its
// children's.
struct CPlanSource {
    std::int64_t id = 0;
    std::int64_t parentId = 0;
    long depth = 0;
    // The operation's text without its figures.
    std::string operation;
    std::int64_t rowsFirst = 0;
    std::int64_t rowsAverage = 0;
    std::int64_t rowsMax = 0;
    std::int64_t cr = -1;
    std::int64_t pr = -1;
    std::int64_t pw = -1;
    std::int64_t time = -1; // microseconds
    std::int64_t selfTime = -1;
    std::int64_t cost = -1;
    std::int64_t size = -1;
    std::int64_t card = -1;
    // The estimated rows (card) and the rows on average differ by 10x or more.
    bool misestimated = false;

    bool operator==(const CPlanSource&) const = default;
};
