#include "CRecursiveCalls.h"

void CRecursiveCalls::Add(ECallKind kind, const CSelfFigures& figures) {
    if (figures == CSelfFigures{}) {
        return;
    }
    m_figures.Edit()[static_cast<std::size_t>(kind)].Add(figures);
}

void CRecursiveCalls::Add(const CRecursiveCalls& other) {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        Add(kind, other.Of(kind));
    }
}

CSelfFigures CRecursiveCalls::Of(ECallKind kind) const {
    return m_figures.Get()[static_cast<std::size_t>(kind)];
}
