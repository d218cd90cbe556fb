#include "CRecordContext.h"

#include <utility>

CRecordContext::CRecordContext(std::string pid, std::shared_ptr<const CTraceFileSnapshot> file,
                               CSessionTags tags, std::optional<std::string> process)
    : m_strPid(std::move(pid)), m_process(std::move(process)), m_file(std::move(file)),
      m_tags(std::move(tags)) {}

CRecordContextRef CRecordContext::Make(std::string pid,
                                       std::shared_ptr<const CTraceFileSnapshot> file,
                                       CSessionTags tags, std::optional<std::string> process) {
    return CRecordContextRef(
        new CRecordContext(std::move(pid), std::move(file), std::move(tags), std::move(process)));
}

CTraceContext CRecordContext::Trace() const {
    CTraceContext context{m_process, {}};
    if (m_tags.IsKnown(ESessionTag::Session)) {
        context.session = m_tags.Value(ESessionTag::Session);
    }
    return context;
}

CRecordContextRef CRecordContext::WithTags(CSessionTags tags) const {
    return Make(m_strPid, m_file, std::move(tags), m_process);
}

CRecordContextRef CRecordContext::With(std::optional<std::string> process,
                                       CSessionTags tags) const {
    return Make(m_strPid, m_file, std::move(tags), std::move(process));
}

const CRecordContext& CRecordContext::None() {
    static const CRecordContext s_none({}, nullptr, {}, {});
    return s_none;
}

bool CRecordContext::operator==(const CRecordContext& other) const {
    if (Pid() != other.Pid()) {
        return false;
    }
    if (m_file != other.m_file &&
        (m_file == nullptr || other.m_file == nullptr || *m_file != *other.m_file)) {
        return false;
    }
    for (std::size_t i = 0; i < kSessionTagCount; ++i) {
        const auto tag = static_cast<ESessionTag>(i);
        if (m_tags.Value(tag) != other.m_tags.Value(tag)) {
            return false;
        }
    }
    return true;
}
