#include "CSessionTags.h"

namespace {

constexpr std::string_view kLines[kSessionTagCount] = {"*** SESSION ID:(", "*** SERVICE NAME:(",
                                                       "*** MODULE NAME:(", "*** ACTION NAME:(",
                                                       "*** CLIENT ID:("};
constexpr std::string_view kNames[kSessionTagCount] = {"session", "service", "module", "action",
                                                       "client"};

} // namespace

void CSessionTags::Set(ESessionTag tag, std::string_view value) {
    m_values[Index(tag)].assign(value);
    m_nKnown |= Bit(tag);
}

CSessionTags CSessionTags::After(const CSessionTags& before) const {
    CSessionTags tags = *this;
    for (std::size_t i = 0; i < kSessionTagCount; ++i) {
        const auto tag = static_cast<ESessionTag>(i);
        if (!IsKnown(tag) && before.IsKnown(tag)) {
            tags.Set(tag, before.Value(tag));
        }
    }
    return tags;
}

bool CSessionTags::ReadLine(std::string_view line, ESessionTag& tag, std::string_view& value) {
    if (line.size() < 16 || line[4] < 'A' || line[4] > 'S') {
        return false;
    }
    for (std::size_t i = 0; i < kSessionTagCount; ++i) {
        if (!line.starts_with(kLines[i])) {
            continue;
        }
        const std::size_t start = kLines[i].size();
        const std::size_t end = line.rfind(')');
        if (end == std::string_view::npos || end < start) {
            return false;
        }
        tag = static_cast<ESessionTag>(i);
        value = line.substr(start, end - start);
        return true;
    }
    return false;
}

std::string_view CSessionTags::NameOf(ESessionTag tag) {
    return kNames[Index(tag)];
}
