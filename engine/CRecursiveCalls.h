#pragma once

#include "CCallFigures.h"
#include "CSelfFigures.h"
#include "CSparse.h"

#include <array>

// The figures of the recursive calls a statement's calls made, per call kind: what the
// figures as written hold beyond the statement's own work. Most statements make none, and
// then nothing is stored.
class CRecursiveCalls {
public:
    void Add(ECallKind kind, const CSelfFigures& figures);
    void Add(const CRecursiveCalls& other);
    CSelfFigures Of(ECallKind kind) const;

    // Equal when the figures are, however they are stored.
    bool operator==(const CRecursiveCalls&) const = default;

private:
    CSparse<std::array<CSelfFigures, 3>> m_figures; // one per call kind
};
