#include "CRecursiveCalls.h"

namespace {

constexpr std::size_t kKinds = 3;

} // namespace

void CRecursiveCalls::Add(ECallKind kind, const CSelfFigures& figures) {
    if (figures == CSelfFigures{}) {
        return;
    }
    m_figures.resize(kKinds);
    m_figures[static_cast<std::size_t>(kind)].Add(figures);
}

void CRecursiveCalls::Add(const CRecursiveCalls& other) {
    for (std::size_t kind = 0; kind < other.m_figures.size(); ++kind) {
        Add(static_cast<ECallKind>(kind), other.m_figures[kind]);
    }
}

CSelfFigures CRecursiveCalls::Of(ECallKind kind) const {
    return m_figures.empty() ? CSelfFigures{} : m_figures[static_cast<std::size_t>(kind)];
}

bool CRecursiveCalls::operator==(const CRecursiveCalls& other) const {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        if (!(Of(kind) == other.Of(kind))) {
            return false;
        }
    }
    return true;
}
