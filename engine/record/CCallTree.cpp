#include "CCallTree.h"

#include "CCallTreeRow.h"
#include "PackedSum.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace {

using CWord = std::uint32_t;

// A packed tree: its length in words and its number of top-level nodes, then the nodes.
constexpr std::size_t kHeader = 2;
// A node's first word: the kind of its statement in the lowest three bits, then a flag for a
// node kept in full, and above them, when it is not, its number of children.
constexpr CWord kKindBits = 7;
constexpr CWord kFull = 8;
constexpr int kChildShift = 4;
constexpr std::size_t kMaxPackedChildren = std::size_t{1} << (32 - kChildShift);
// The words of a node: its first word, then its value and figures in 32 bits each, or its
// number of children, then its value and figures in 64 bits each.
constexpr std::size_t kPackedWords = 6;
constexpr std::size_t kFullWords = 12;

std::array<std::int64_t, 4> FiguresOf(const CCallTreeNode& node) {
    const CCallTreeFigures& f = node.figures;
    return {f.calls, f.elapsed, f.selfElapsed, f.selfCpu};
}

bool FitsPacked(const CCallTreeNode& node) {
    const auto figures = FiguresOf(node);
    return node.statement.value <= std::numeric_limits<CWord>::max() &&
           node.children.size() < kMaxPackedChildren &&
           std::all_of(figures.begin(), figures.end(), FitsIn32Bits);
}

// The words of `nodes` packed, with their subtrees.
std::size_t WordsOf(const std::vector<CCallTreeNode>& nodes) {
    std::size_t words = 0;
    for (const CCallTreeNode& node : nodes) {
        words += (FitsPacked(node) ? kPackedWords : kFullWords) + WordsOf(node.children);
    }
    return words;
}

void Put64(CWord*& at, std::uint64_t value) {
    *at++ = static_cast<CWord>(value);
    *at++ = static_cast<CWord>(value >> 32);
}

std::uint64_t Get64(const CWord*& at) {
    const std::uint64_t value = at[0] | (std::uint64_t{at[1]} << 32);
    at += 2;
    return value;
}

// Packs `nodes` from `at` on; answers where the words after them begin.
CWord* PackNodes(const std::vector<CCallTreeNode>& nodes, CWord* at) {
    for (const CCallTreeNode& node : nodes) {
        const auto kind = static_cast<CWord>(node.statement.kind);
        if (FitsPacked(node)) {
            *at++ = static_cast<CWord>(node.children.size() << kChildShift) | kind;
            *at++ = static_cast<CWord>(node.statement.value);
            for (const std::int64_t figure : FiguresOf(node)) {
                *at++ = static_cast<CWord>(figure);
            }
        } else {
            *at++ = kFull | kind;
            *at++ = static_cast<CWord>(node.children.size());
            Put64(at, node.statement.value);
            for (const std::int64_t figure : FiguresOf(node)) {
                Put64(at, static_cast<std::uint64_t>(figure));
            }
        }
        at = PackNodes(node.children, at);
    }
    return at;
}

// Unpacks `count` nodes from `at` into `nodes`; answers where the words after them begin.
template <class TNode>
const CWord* UnpackNodes(const CWord* at, std::size_t count, std::vector<TNode>& nodes) {
    nodes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        TNode& node = nodes.emplace_back();
        const CWord first = *at++;
        node.statement.kind = static_cast<CStatementRef::EKind>(first & kKindBits);
        std::array<std::int64_t, 4> figures{};
        std::size_t children = 0;
        if ((first & kFull) == 0) {
            children = first >> kChildShift;
            node.statement.value = *at++;
            for (std::int64_t& figure : figures) {
                figure = static_cast<std::int32_t>(*at++);
            }
        } else {
            children = *at++;
            node.statement.value = Get64(at);
            for (std::int64_t& figure : figures) {
                figure = static_cast<std::int64_t>(Get64(at));
            }
        }
        node.figures = {figures[0], figures[1], figures[2], figures[3]};
        at = UnpackNodes(at, children, node.children);
    }
    return at;
}

template <class TNode> std::vector<TNode> CopyNodes(const std::vector<CCallTreeNode>& nodes) {
    if constexpr (std::is_same_v<TNode, CCallTreeNode>) {
        return nodes;
    } else {
        std::vector<TNode> copies;
        copies.reserve(nodes.size());
        for (const CCallTreeNode& node : nodes) {
            copies.push_back({node.statement, node.figures, CopyNodes<TNode>(node.children)});
        }
        return copies;
    }
}

CWord* PackWords(const std::vector<CCallTreeNode>& nodes) {
    const std::size_t words = kHeader + WordsOf(nodes);
    if (words > std::numeric_limits<CWord>::max()) {
        throw std::length_error("call tree too large to pack");
    }
    auto* packed = new CWord[words];
    packed[0] = static_cast<CWord>(words);
    packed[1] = static_cast<CWord>(nodes.size());
    PackNodes(nodes, packed + kHeader);
    return packed;
}

// Resolves the references of `count` packed nodes from `at` on, with their subtrees, writing
// them when `write`. false when the words cannot hold the resolved tree: a Carry node, a value
// that no longer fits its node, or siblings out of order once resolved.
bool ResolveNodes(CWord*& at, std::size_t count, const CCallTreeResolution& resolution,
                  bool write) {
    CStatementRef previous;
    for (std::size_t i = 0; i < count; ++i) {
        CWord* const node = at;
        const bool full = (node[0] & kFull) != 0;
        CStatementRef ref{static_cast<CStatementRef::EKind>(node[0] & kKindBits), node[1]};
        const CWord* value = node + 2;
        if (full) {
            ref.value = Get64(value);
        }
        if (ref.kind == CStatementRef::EKind::Carry) {
            return false;
        }
        if (ref.kind == CStatementRef::EKind::Local || ref.kind == CStatementRef::EKind::Leading) {
            ref = resolution.statement(ref);
        }
        if ((!full && ref.value > std::numeric_limits<CWord>::max()) ||
            (i > 0 && !(previous < ref))) {
            return false;
        }
        if (write) {
            node[0] = (node[0] & ~kKindBits) | static_cast<CWord>(ref.kind);
            if (full) {
                CWord* valueAt = node + 2;
                Put64(valueAt, ref.value);
            } else {
                node[1] = static_cast<CWord>(ref.value);
            }
        }
        previous = ref;
        const std::size_t children = full ? node[1] : node[0] >> kChildShift;
        at += full ? kFullWords : kPackedWords;
        if (!ResolveNodes(at, children, resolution, write)) {
            return false;
        }
    }
    return true;
}

// Resolves a packed tree where its words stand when they can hold it.
bool ResolveInPlace(CWord* packed, const CCallTreeResolution& resolution) {
    CWord* at = packed + kHeader;
    if (!ResolveNodes(at, packed[1], resolution, false)) {
        return false;
    }
    at = packed + kHeader;
    return ResolveNodes(at, packed[1], resolution, true);
}

} // namespace

CCallTree::CCallTree(const CCallTree& other) {
    if (const std::vector<CCallTreeNode>* full = other.Full()) {
        Set(*full, false);
    } else if (const CWord* packed = other.Packed()) {
        auto* copy = new CWord[packed[0]];
        std::memcpy(copy, packed, packed[0] * sizeof(CWord));
        m_form = reinterpret_cast<std::uintptr_t>(copy) | 1;
    }
}

CCallTree::CCallTree(CCallTree&& other) noexcept : m_form(std::exchange(other.m_form, 0)) {}

CCallTree::~CCallTree() {
    Clear();
}

CCallTree& CCallTree::operator=(CCallTree other) noexcept {
    std::swap(m_form, other.m_form);
    return *this;
}

std::vector<CCallTreeNode> CCallTree::Nodes() const {
    return NodesAs<CCallTreeNode>();
}

template <class TNode> std::vector<TNode> CCallTree::NodesAs() const {
    if (const std::vector<CCallTreeNode>* full = Full()) {
        return CopyNodes<TNode>(*full);
    }
    std::vector<TNode> nodes;
    if (const CWord* packed = Packed()) {
        UnpackNodes(packed + kHeader, packed[1], nodes);
    }
    return nodes;
}

template std::vector<CCallTreeRow> CCallTree::NodesAs<CCallTreeRow>() const;

void CCallTree::Add(std::vector<CCallTreeNode>&& nodes) {
    if (std::vector<CCallTreeNode>* full = Full()) {
        CCallTreeNode::Add(*full, std::move(nodes));
        return;
    }
    const bool packed = Packed() != nullptr;
    std::vector<CCallTreeNode> all = Nodes();
    CCallTreeNode::Add(all, std::move(nodes));
    Set(std::move(all), packed);
}

void CCallTree::Resolve(const CCallTreeResolution& resolution) {
    if (IsEmpty()) {
        return;
    }
    if (Packed() != nullptr &&
        ResolveInPlace(reinterpret_cast<CWord*>(m_form & ~std::uintptr_t{1}), resolution)) {
        return;
    }
    std::vector<CCallTreeNode> nodes;
    if (std::vector<CCallTreeNode>* full = Full()) {
        nodes = std::move(*full);
    } else {
        nodes = Nodes();
    }
    resolution.Apply(nodes, nullptr);
    Set(std::move(nodes), true);
}

void CCallTree::Pack() {
    if (std::vector<CCallTreeNode>* full = Full()) {
        Set(std::move(*full), true);
    }
}

std::vector<CCallTreeNode>* CCallTree::Full() const {
    return (m_form & 1) == 0 ? reinterpret_cast<std::vector<CCallTreeNode>*>(m_form) : nullptr;
}

const CCallTree::CWord* CCallTree::Packed() const {
    return (m_form & 1) != 0 ? reinterpret_cast<const CWord*>(m_form & ~std::uintptr_t{1})
                             : nullptr;
}

void CCallTree::Set(std::vector<CCallTreeNode> nodes, bool packed) {
    std::uintptr_t form = 0;
    if (!nodes.empty() && packed) {
        form = reinterpret_cast<std::uintptr_t>(PackWords(nodes)) | 1;
    } else if (!nodes.empty()) {
        form = reinterpret_cast<std::uintptr_t>(new std::vector<CCallTreeNode>(std::move(nodes)));
    }
    Clear();
    m_form = form;
}

void CCallTree::Clear() {
    delete Full();
    delete[] Packed();
    m_form = 0;
}
