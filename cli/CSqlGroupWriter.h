#pragma once

#include "CCliOptions.h"
#include "CSqlGroups.h"

#include <string>
#include <vector>

// Writes statements grouped by SQL: an aligned table, tab- or comma-separated values (the
// table's cells, one line per group after the titles), or JSON with every figure.
class CSqlGroupWriter {
public:
    static std::string Write(const std::vector<CSqlGroupRow>& groups, COutputFormat format);
};
