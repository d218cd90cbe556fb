#pragma once

#include "CProfileReport.h"
#include "CSkewHistogram.h"

#include <map>

#include <optional>
#include <string>
#include <vector>

// Writes response-time profiles as aligned tables for people or as JSON, one section per
// file and, for several files, one for all of them together.
class CProfileWriter {
public:
    struct CSection {
        std::vector<std::string> files;
        CProfileReport report;
    };

    static std::string Table(const std::vector<CSection>& sections, std::optional<ESessionTag> cut);
    // Each event's wait durations in buckets of powers of ten, for the files `title` names.
    static std::string
    WaitHistograms(const std::string& title,
                   const std::map<std::string, CSkewHistogram, std::less<>>& histograms);
    static std::string Json(const std::vector<CSection>& sections, std::optional<ESessionTag> cut,
                            bool excludeIdle);
};
