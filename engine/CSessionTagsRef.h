#pragma once

#include "CSessionTags.h"

#include <memory>
#include <utility>

// A statement's session tags, shared by every statement read under the same tags.
class CSessionTagsRef {
public:
    CSessionTagsRef() = default;
    explicit CSessionTagsRef(std::shared_ptr<const CSessionTags> tags) : m_tags(std::move(tags)) {}

    const CSessionTags& Get() const {
        static const CSessionTags s_none;
        return m_tags ? *m_tags : s_none;
    }

    // Statements compare by the values of their tags: a tag no line set reads as empty, known
    // or not.
    bool operator==(const CSessionTagsRef& other) const {
        for (std::size_t i = 0; i < kSessionTagCount; ++i) {
            const auto tag = static_cast<ESessionTag>(i);
            if (Get().Value(tag) != other.Get().Value(tag)) {
                return false;
            }
        }
        return true;
    }

private:
    std::shared_ptr<const CSessionTags> m_tags;
};
