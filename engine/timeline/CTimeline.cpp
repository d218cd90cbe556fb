#include "CTimeline.h"

#include <algorithm>

std::uint32_t CTimeline::NameId(std::string_view name) {
    const auto known = std::find(m_names.begin(), m_names.end(), name);
    if (known != m_names.end()) {
        return static_cast<std::uint32_t>(known - m_names.begin());
    }
    m_names.emplace_back(name);
    return static_cast<std::uint32_t>(m_names.size() - 1);
}

const std::string& CTimeline::NameOf(const CTimelineEvent& event) const {
    static const std::string s_none;
    return event.name == CTimelineEvent::kNone ? s_none : m_names[event.name];
}

std::optional<CWallClock> CTimeline::ClockOf(const CTimelineEvent& event, std::int64_t time) const {
    if (event.anchor == CTimelineEvent::kNone) {
        return std::nullopt;
    }
    const CAnchor& anchor = m_anchors[event.anchor];
    return anchor.clock.Plus(time - anchor.tim);
}

void CTimeline::Sort() {
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const CTimelineEvent& a, const CTimelineEvent& b) {
                         return a.start != b.start ? a.start < b.start : a.end < b.end;
                     });
}

void CTimeline::Append(CTimeline&& other) {
    const auto shift = [](std::uint32_t index, std::size_t by) {
        return index == CTimelineEvent::kNone ? index : index + static_cast<std::uint32_t>(by);
    };
    const std::size_t files = m_files.size();
    const std::size_t contexts = m_contexts.size();
    const std::size_t statements = m_statements.size();
    const std::size_t anchors = m_anchors.size();
    std::vector<std::uint32_t> names;
    for (const std::string& name : other.m_names) {
        names.push_back(NameId(name));
    }
    for (CTimelineEvent event : other.m_events) {
        event.context = shift(event.context, contexts);
        event.statement = shift(event.statement, statements);
        event.anchor = shift(event.anchor, anchors);
        event.name = event.name == CTimelineEvent::kNone ? event.name : names[event.name];
        m_events.push_back(event);
    }
    for (CStatement statement : other.m_statements) {
        statement.file = shift(statement.file, files);
        m_statements.push_back(std::move(statement));
    }
    m_files.insert(m_files.end(), other.m_files.begin(), other.m_files.end());
    m_contexts.insert(m_contexts.end(), other.m_contexts.begin(), other.m_contexts.end());
    m_anchors.insert(m_anchors.end(), other.m_anchors.begin(), other.m_anchors.end());
}
