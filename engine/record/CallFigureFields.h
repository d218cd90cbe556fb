#pragma once

#include <type_traits>

// The figures of calls, listed once for the code that goes through them one by one: sums,
// differences and the values of the packed forms. A visitor gets each figure as an accessor:
// `figure(f)` is that figure, as a reference, of any form of call figures `f` that has it.

inline constexpr auto kCountFigure = [](auto& f) -> auto& {
    return f.count;
};
inline constexpr auto kCpuFigure = [](auto& f) -> auto& {
    return f.cpu;
};
inline constexpr auto kElapsedFigure = [](auto& f) -> auto& {
    return f.elapsed;
};
inline constexpr auto kDiskFigure = [](auto& f) -> auto& {
    return f.disk;
};
inline constexpr auto kQueryFigure = [](auto& f) -> auto& {
    return f.query;
};
inline constexpr auto kCurrentFigure = [](auto& f) -> auto& {
    return f.current;
};
inline constexpr auto kMissesFigure = [](auto& f) -> auto& {
    return f.misses;
};
inline constexpr auto kRowsFigure = [](auto& f) -> auto& {
    return f.rows;
};

// Visits the time and buffer figures, which every form of call figures has (CCallFigures,
// CSelfFigures, CPackedCalls, CRecursiveCalls), in the order the packed forms keep them.
template <class FVisit> constexpr void ForEachWorkFigure(FVisit&& visit) {
    visit(kCpuFigure);
    visit(kElapsedFigure);
    visit(kDiskFigure);
    visit(kQueryFigure);
    visit(kCurrentFigure);
}

// Visits every figure of a call kind (CCallFigures) in the order the packed forms keep them:
// the count, the time and buffers, the misses and the rows.
template <class FVisit> constexpr void ForEachCallFigure(FVisit&& visit) {
    visit(kCountFigure);
    ForEachWorkFigure(visit);
    visit(kMissesFigure);
    visit(kRowsFigure);
}

// Whether an accessor a visitor got, of type TFigure, is `kFigure`.
template <class TFigure, const auto& kFigure>
inline constexpr bool kIsFigure =
    std::is_same_v<std::remove_cvref_t<TFigure>, std::remove_cvref_t<decltype(kFigure)>>;
