#pragma once

#include "CCallTreeView.h"
#include "CCliOptions.h"

#include <cstdio>
#include <vector>

class CTraceAnalyzer;

// Writes the call tree: an aligned table whose statement column is indented two blanks per
// depth, or JSON with the children of each node nested in it.
class CCallTreeWriter {
public:
    static void Write(std::FILE* out, const std::vector<CCallTreeRow>& tree,
                      const CTraceAnalyzer& analyzer, COutputFormat format);
};
