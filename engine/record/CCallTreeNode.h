#pragma once

#include "CSelfFigures.h"

#include <compare>
#include <cstdint>
#include <functional>
#include <vector>

// Who made the calls of a call-tree node. Serial, Hidden and Unbound are what a finished read
// hands over; Local, Leading and Carry live only inside a reader until it resolves them.
struct CStatementRef {
    enum class EKind : std::uint8_t {
        Serial,  // value: the record's serial
        Hidden,  // value: the cursor number of a statement the filters hide
        Unbound, // value: a cursor number no header of the file bound
        Local,   // value: the position of a record among those the reader made
        Leading, // value: a cursor number the text read so far did not bind
        Carry    // value: a depth; stands for the calls of the next depth written before the
                 // text read, which belong to the first call at this depth
    };
    EKind kind = EKind::Serial;
    std::uint64_t value = 0;

    std::strong_ordering operator<=>(const CStatementRef&) const = default;
};

// The calls of one statement at one place of a call tree, summed.
struct CCallTreeFigures {
    std::int64_t calls = 0;
    std::int64_t elapsed = 0; // as written: with the recursive calls they made
    std::int64_t selfElapsed = 0;
    std::int64_t selfCpu = 0;

    void Add(const CCallTreeFigures& other);
    bool operator==(const CCallTreeFigures&) const = default;
};

// A node of a call tree: the calls one statement made at one place, and below them the
// recursive calls they made, one node per statement, in the order of CStatementRef.
struct CCallTreeNode {
    CStatementRef statement;
    CCallTreeFigures figures;
    std::vector<CCallTreeNode> children;

    // Adds a node to `nodes`, joining it with the node of the same statement.
    static void Add(std::vector<CCallTreeNode>& nodes, CCallTreeNode&& node);
    static void Add(std::vector<CCallTreeNode>& nodes, std::vector<CCallTreeNode>&& more);

    bool operator==(const CCallTreeNode&) const = default;
};

// How a reader resolves the references of the call trees it made: every Local and Leading
// statement is mapped; a Carry node is replaced by the calls carried for its depth, and the
// self figures of the node that holds it lose those calls' figures.
struct CCallTreeResolution {
    std::function<CStatementRef(const CStatementRef&)> statement;
    std::function<const std::vector<CCallTreeNode>*(std::size_t depth)> carried;
    std::function<CSelfFigures(std::size_t depth)> carriedSelf;

    // Resolves `nodes`, the children of the calls summed in `parent` (nullptr when the
    // parent's self figures are corrected elsewhere).
    void Apply(std::vector<CCallTreeNode>& nodes, CCallTreeFigures* parent) const;

private:
    void Rebuild(std::vector<CCallTreeNode>& nodes, CCallTreeFigures* parent) const;
};
