#pragma once

#include "CProfileReport.h"

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
    static std::string Json(const std::vector<CSection>& sections, std::optional<ESessionTag> cut,
                            bool excludeIdle);
};
