#include "CCallTreeNode.h"

#include <algorithm>

void CCallTreeFigures::Add(const CCallTreeFigures& other) {
    calls = SaturatingAdd(calls, other.calls);
    elapsed = SaturatingAdd(elapsed, other.elapsed);
    selfElapsed = SaturatingAdd(selfElapsed, other.selfElapsed);
    selfCpu = SaturatingAdd(selfCpu, other.selfCpu);
}

void CCallTreeNode::Add(std::vector<CCallTreeNode>& nodes, CCallTreeNode&& node) {
    const auto at = std::lower_bound(
        nodes.begin(), nodes.end(), node.statement,
        [](const CCallTreeNode& known, const CStatementRef& ref) { return known.statement < ref; });
    if (at == nodes.end() || at->statement != node.statement) {
        nodes.insert(at, std::move(node));
        return;
    }
    at->figures.Add(node.figures);
    Add(at->children, std::move(node.children));
}

void CCallTreeNode::Add(std::vector<CCallTreeNode>& nodes, std::vector<CCallTreeNode>&& more) {
    if (nodes.empty()) {
        nodes = std::move(more);
        return;
    }
    for (CCallTreeNode& node : more) {
        Add(nodes, std::move(node));
    }
}

// Resolves the nodes in place; only a Carry node, or statements that now sort otherwise or
// name the same statement, make the list be built anew.
void CCallTreeResolution::Apply(std::vector<CCallTreeNode>& nodes, CCallTreeFigures* parent) const {
    bool ordered = true;
    for (std::size_t i = 0; i < nodes.size() && ordered; ++i) {
        CCallTreeNode& node = nodes[i];
        const CStatementRef::EKind kind = node.statement.kind;
        if (kind == CStatementRef::EKind::Carry) {
            ordered = false;
            break;
        }
        if (kind == CStatementRef::EKind::Local || kind == CStatementRef::EKind::Leading) {
            node.statement = statement(node.statement);
        }
        Apply(node.children, &node.figures);
        ordered = i == 0 || nodes[i - 1].statement < node.statement;
    }
    if (!ordered) {
        Rebuild(nodes, parent);
    }
}

void CCallTreeResolution::Rebuild(std::vector<CCallTreeNode>& nodes,
                                  CCallTreeFigures* parent) const {
    std::vector<CCallTreeNode> resolved;
    resolved.reserve(nodes.size());
    for (CCallTreeNode& node : nodes) {
        const CStatementRef ref = node.statement;
        if (ref.kind == CStatementRef::EKind::Carry) {
            const auto depth = static_cast<std::size_t>(ref.value);
            if (parent != nullptr) {
                const CSelfFigures self = carriedSelf(depth);
                parent->selfElapsed = SaturatingSubtract(parent->selfElapsed, self.elapsed);
                parent->selfCpu = SaturatingSubtract(parent->selfCpu, self.cpu);
            }
            if (const std::vector<CCallTreeNode>* calls = carried(depth)) {
                CCallTreeNode::Add(resolved, std::vector<CCallTreeNode>(*calls));
            }
            continue;
        }
        if (ref.kind == CStatementRef::EKind::Local || ref.kind == CStatementRef::EKind::Leading) {
            node.statement = statement(ref);
        }
        Apply(node.children, &node.figures);
        CCallTreeNode::Add(resolved, std::move(node));
    }
    nodes = std::move(resolved);
}
