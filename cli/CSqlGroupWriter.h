#pragma once

#include "CCliOptions.h"
#include "CSqlGroupTable.h"

#include <cstdio>
#include <vector>

class CTraceAnalyzer;

// Writes statements grouped by SQL: an aligned table, tab- or comma-separated values (the
// table's cells, one line per group after the titles), or JSON with every figure.
class CSqlGroupWriter {
public:
    // `analyzer` holds the records the groups were made of; for json every row must have its
    // detail.
    static void Write(std::FILE* out, const CSqlGroupTable& groups, const CTraceAnalyzer& analyzer,
                      COutputFormat format);
};
