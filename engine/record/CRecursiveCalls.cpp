#include "CRecursiveCalls.h"

#include "PackedSum.h"

#include <algorithm>

void CRecursiveCalls::Add(ECallKind kind, const CSelfFigures& figures) {
    if (figures == CSelfFigures{}) {
        return;
    }
    const auto index = static_cast<std::size_t>(kind);
    if (!m_figures.Get().bWide && AddPacked(index, figures)) {
        return;
    }
    Widen();
    m_figures.Edit().wide.Edit()[index].Add(figures);
}

void CRecursiveCalls::Add(const CRecursiveCalls& other) {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        Add(kind, other.Of(kind));
    }
}

CSelfFigures CRecursiveCalls::Of(ECallKind kind) const {
    const auto index = static_cast<std::size_t>(kind);
    const CFigures& figures = m_figures.Get();
    if (figures.bWide) {
        return figures.wide.Get()[index];
    }
    const std::int32_t* v = figures.packed.data() + index * kFields;
    CSelfFigures self;
    ForEachPlace([&](std::size_t place, auto figure) { figure(self) = v[place]; });
    return self;
}

CSelfFigures CRecursiveCalls::PackedTotal() const {
    const std::int32_t* v = m_figures.Get().packed.data();
    CSelfFigures total;
    for (std::size_t kind = 0; kind < 3; ++kind, v += kFields) {
        ForEachPlace([&](std::size_t place, auto figure) { figure(total) += v[place]; });
    }
    return total;
}

bool CRecursiveCalls::operator==(const CRecursiveCalls& other) const {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        if (Of(kind) != other.Of(kind)) {
            return false;
        }
    }
    return true;
}

// Adds to the packed figures of a kind and answers true when they fit; otherwise changes
// nothing and answers false.
bool CRecursiveCalls::AddPacked(std::size_t kind, const CSelfFigures& figures) {
    const std::int32_t* v = m_figures.Get().packed.data() + kind * kFields;
    std::array<std::int32_t, kFields> sums{};
    bool fits = true;
    ForEachPlace([&](std::size_t place, auto figure) {
        fits &= AddIn32Bits(v[place], figure(figures), sums[place]);
    });
    if (fits) {
        std::copy(sums.begin(), sums.end(),
                  m_figures.Edit().packed.begin() + static_cast<std::ptrdiff_t>(kind * kFields));
    }
    return fits;
}

// Moves the packed figures to the full ones, unless they are there already.
void CRecursiveCalls::Widen() {
    if (m_figures.Get().bWide) {
        return;
    }
    std::array<CSelfFigures, 3> full;
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        full[static_cast<std::size_t>(kind)] = Of(kind);
    }
    CFigures& figures = m_figures.Edit();
    figures.packed = {};
    figures.wide.Edit() = full;
    figures.bWide = true;
}
