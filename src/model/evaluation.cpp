#include "model/evaluation.h"

#include "model/kinds.h"

#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

namespace qv {

namespace {

/// Adds one to a counter; a counter at its maximum stays there.
inline void bump(int32_t& counter)
{
    if (counter < std::numeric_limits<int32_t>::max())
        ++counter;
}

/// Sum of two counters, held at the maximum instead of wrapping.
inline int32_t saturatedSum(int32_t a, int32_t b)
{
    const int64_t s = int64_t(a) + int64_t(b);
    if (s > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (s < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(s);
}

/// Answers whether one node lies on the parent chain of another (or is it)
/// while subtrees are being moved, in logarithmic amortised time: a link-cut
/// forest mirrors the parent links of the nodes it has met. Nodes enter on
/// first use together with all their ancestors, so the nodes it knows always
/// include every ancestor of every node it knows.
class AncestorIndex {
public:
    /// True when `a` is `t` or lies on the parent chain of `t`.
    bool isAncestorOrSelf(const TestNode* a, const TestNode* t)
    {
        if (a == t)
            return true;
        const int ti = ensure(t);
        const auto it = ids_.find(a);
        if (it == ids_.end())
            return false; // every ancestor of t is known, so a is none of them
        const int ai = it->second;
        access(ti);
        splay(ai);
        // a shares t's preferred path (the whole root-to-t chain) only if it
        // is an ancestor; splaying it then lifts it above t.
        return !isAuxRoot(ti);
    }

    /// Records that `child` now hangs under `newParent`.
    void moved(const TestNode* child, const TestNode* newParent)
    {
        const auto it = ids_.find(child);
        if (it == ids_.end())
            return; // nothing below an unknown node is known either
        const int ci = it->second;
        const int pi = ensure(newParent);
        access(ci);
        const int left = links_[size_t(ci)].ch[0];
        if (left >= 0) {
            links_[size_t(left)].p = -1;
            links_[size_t(ci)].ch[0] = -1;
        }
        links_[size_t(ci)].p = pi;
    }

private:
    struct Link {
        int ch[2] = {-1, -1};
        int p = -1; ///< parent in the splay tree, or path parent at a splay root
    };

    int ensure(const TestNode* node)
    {
        const auto it = ids_.find(node);
        if (it != ids_.end())
            return it->second;
        pending_.clear();
        int above = -1;
        for (const TestNode* n = node; n; n = n->parent) {
            const auto known = ids_.find(n);
            if (known != ids_.end()) {
                above = known->second;
                break;
            }
            pending_.push_back(n);
        }
        for (auto n = pending_.rbegin(); n != pending_.rend(); ++n) {
            const int index = int(links_.size());
            links_.emplace_back();
            links_.back().p = above;
            ids_.emplace(*n, index);
            above = index;
        }
        return above;
    }

    bool isAuxRoot(int x) const
    {
        const int p = links_[size_t(x)].p;
        return p < 0 || (links_[size_t(p)].ch[0] != x && links_[size_t(p)].ch[1] != x);
    }

    void rotate(int x)
    {
        Link& lx = links_[size_t(x)];
        const int p = lx.p;
        Link& lp = links_[size_t(p)];
        const int g = lp.p;
        const int side = lp.ch[1] == x ? 1 : 0;
        if (!isAuxRoot(p)) {
            Link& lg = links_[size_t(g)];
            lg.ch[lg.ch[1] == p ? 1 : 0] = x;
        }
        lx.p = g;
        const int b = lx.ch[side ^ 1];
        lp.ch[side] = b;
        if (b >= 0)
            links_[size_t(b)].p = p;
        lx.ch[side ^ 1] = p;
        lp.p = x;
    }

    void splay(int x)
    {
        while (!isAuxRoot(x)) {
            const int p = links_[size_t(x)].p;
            if (!isAuxRoot(p)) {
                const int g = links_[size_t(p)].p;
                const bool sameSide = (links_[size_t(g)].ch[1] == p) == (links_[size_t(p)].ch[1] == x);
                rotate(sameSide ? p : x);
            }
            rotate(x);
        }
    }

    /// Makes the chain from the root to x the preferred path, x its splay root.
    void access(int x)
    {
        int last = -1;
        for (int y = x; y >= 0; y = links_[size_t(y)].p) {
            splay(y);
            links_[size_t(y)].ch[1] = last;
            last = y;
        }
        splay(x);
    }

    std::unordered_map<const TestNode*, int> ids_;
    std::vector<Link> links_;
    std::vector<const TestNode*> pending_;
};

/// The stub relinking of one node; `index`, when given, answers the
/// ancestor question instead of a climb and follows the moves.
void relinkWith(TestTree& tree, TestNode* node, AncestorIndex* index)
{
    if (!node || node->refId == 0 || !node->firstChild)
        return;

    TestNode* target = nullptr;
    // The files in list order; copies made by trace bindings have no root and
    // are not visited, however many the trace made.
    for (int n = 0, count = tree.fileCount(); n < count && !target; ++n) {
        TestNode* found = tree.findNode(tree.fileRoot(n)->fileIndex, node->refId);
        if (found && found->kind == ElementKind::Stub)
            target = found;
    }
    if (!target)
        return;

    // A target that is the node itself or lies beneath it would make the
    // moved children their own ancestors: leave everything as it is.
    bool beneath = false;
    if (index) {
        beneath = index->isAncestorOrSelf(node, target);
    } else {
        for (const TestNode* a = target; a && !beneath; a = a->parent)
            beneath = a == node;
    }
    if (beneath)
        return;

    const bool prefixed = node->parent != nullptr;
    const std::string prefix = prefixed ? std::string(node->parent->name()) + " / " : std::string();
    for (TestNode* c = node->firstChild; c; c = c->nextSibling) {
        c->parent = target;
        if (prefixed)
            tree.prefixName(c, prefix);
        if (index)
            index->moved(c, target);
    }
    if (target->lastChild)
        target->lastChild->nextSibling = node->firstChild;
    else
        target->firstChild = node->firstChild;
    target->lastChild = node->lastChild;
    node->firstChild = nullptr;
    node->lastChild = nullptr;
    node->refId = 0;
}

/// Merges a member's status into its class and its group aggregate.
void mergeIntoClass(const TestNode* node, TestNode* parent)
{
    ClassCounters& c = *parent->classCounters();
    NodeStatus* group = nullptr;
    switch (node->kind) {
    case ElementKind::Invariant:
        c.invariantStatus = combineStatus(node->status, c.invariantStatus);
        parent->status = combineStatus(c.invariantStatus, parent->status);
        return;
    case ElementKind::State:
    case ElementKind::ObservationState:
        if (node->verdict() && (node->verdict()->multipleExits > 0 || node->verdict()->illegalExits > 0))
            c.stateChartStatus = NodeStatus::Failed;
        group = &c.stateStatus;
        break;
    case ElementKind::Transition: group = &c.transitionStatus; break;
    case ElementKind::MethodContract: group = &c.contractStatus; break;
    default: return;
    }
    *group = combineStatus(node->status, *group);
    // The state chart is made of the states alone: a class whose transitions or
    // contracts saw nothing decisive must not pass through it.
    if (group == &c.stateStatus)
        parent->status = combineStatus(c.stateChartStatus, parent->status);
    parent->status = combineStatus(*group, parent->status);
}

} // namespace

NodeStatus combineStatus(NodeStatus a, NodeStatus b)
{
    auto valid = [](NodeStatus s) {
        return int(s) >= int(NodeStatus::NotExecuted) && int(s) <= int(NodeStatus::Passed);
    };
    if (!valid(a))
        return b;
    if (!valid(b))
        return a;
    if (a == NodeStatus::Failed || b == NodeStatus::Failed)
        return NodeStatus::Failed;
    if (a == NodeStatus::NotExecuted || b == NodeStatus::NotExecuted)
        return NodeStatus::NotExecuted;
    if (a == NodeStatus::Passed || b == NodeStatus::Passed)
        return NodeStatus::Passed;
    return NodeStatus::Executed;
}

void markHit(TestNode* node, TraceEvent event)
{
    if (!node)
        return;
    if (event == TraceEvent::Hit)
        node->status = NodeStatus::Executed;
    else if (event == TraceEvent::FailVerdict)
        node->status = NodeStatus::Failed;
    if (node->parent)
        node->parent->status = NodeStatus::Executed;

    // Events are counted while the trace is read, before any relinking, so the
    // anchor set at creation is the nearest verdict-kind node up the chain.
    TestNode* v = node->verdictAnchor;
    if (!v)
        return;
    v->status = NodeStatus::Executed;
    if (!v->verdict())
        return;
    switch (event) {
    case TraceEvent::Hit: bump(v->verdict()->hits); break;
    case TraceEvent::PassVerdict: bump(v->verdict()->passed); break;
    case TraceEvent::FailVerdict: bump(v->verdict()->failed); break;
    case TraceEvent::IllegalExit: bump(v->verdict()->illegalExits); break;
    case TraceEvent::MultipleExit: bump(v->verdict()->multipleExits); break;
    }
}

void detail::relinkStub(TestTree& tree, TestNode* node)
{
    relinkWith(tree, node, nullptr);
}

void detail::evaluateNode(TestNode* node)
{
    if (!node)
        return;

    if (isVerdictKind(node->kind) && node->verdict()) {
        VerdictCounters& v = *node->verdict();
        bool pulled = false;
        if (node->kind != ElementKind::CheckException) {
            for (const TestNode* c = node->firstChild; c; c = c->nextSibling) {
                if (!isVerdictKind(c->kind) || !c->verdict())
                    continue;
                v.passed = saturatedSum(v.passed, c->verdict()->passed);
                v.failed = saturatedSum(v.failed, c->verdict()->failed);
                v.hits = saturatedSum(v.passed, v.failed);
                node->status = combineStatus(node->status, c->status);
                pulled = true;
            }
        }
        if (!pulled) {
            if (v.failed > 0)
                node->status = NodeStatus::Failed;
            else if (v.passed > 0 || v.hits > 0)
                node->status = NodeStatus::Passed;
            if (saturatedSum(v.passed, v.failed) != 0)
                v.hits = saturatedSum(v.passed, v.failed);
        }
    } else if (!node->firstChild) {
        if (node->status == NodeStatus::Executed)
            node->status = NodeStatus::Passed;
        else if (node->status == NodeStatus::Passed && mustBeReached(node->kind))
            node->status = NodeStatus::NotExecuted;
    }

    TestNode* parent = node->parent;
    if (!parent)
        return;
    parent->status = combineStatus(node->status, parent->status);
    if ((parent->kind == ElementKind::Class || parent->kind == ElementKind::SingleClass) &&
        parent->classCounters())
        mergeIntoClass(node, parent);
}

void evaluateTree(TestTree& tree)
{
    // Relinking of every file comes first: a stub of one file may receive
    // children from another before either is evaluated.
    AncestorIndex index;
    const int count = tree.entryCount();
    for (int n = 0; n < count; ++n) {
        TestNode* root = tree.entry(n).root;
        if (!root)
            continue;
        walkPostOrder(root->firstChild, [&](TestNode* node) { relinkWith(tree, node, &index); });
        relinkWith(tree, root, &index);
    }
    for (int n = 0; n < count; ++n) {
        TestNode* root = tree.entry(n).root;
        if (!root)
            continue;
        walkPostOrder(root->firstChild, detail::evaluateNode);
        detail::evaluateNode(root);
    }
}

SummaryCounts tallyStatuses(const TestTree& tree)
{
    SummaryCounts counts;
    auto count = [&counts](NodeStatus status) {
        if (status == NodeStatus::Passed)
            ++counts.passed;
        else if (status == NodeStatus::Failed)
            ++counts.failed;
        else if (status == NodeStatus::NotExecuted)
            ++counts.inconclusive;
    };

    std::vector<const TestNode*> stack;
    for (int n = 0, files = tree.entryCount(); n < files; ++n) {
        const TestNode* root = tree.entry(n).root;
        if (!root)
            continue;
        const DriverCounters* d = root->driverCounters();
        if (!d ||
            (d->classes == 0 && d->testClasses == 0 && d->testSuites == 0 && d->testCases == 0 &&
             d->procedures == 0 && d->stubs == 0))
            continue;

        // Pre-order: a node, then its children, then its next sibling.
        stack.clear();
        stack.push_back(root);
        while (!stack.empty()) {
            const TestNode* node = stack.back();
            stack.pop_back();
            if (node != root && node->nextSibling)
                stack.push_back(node->nextSibling);
            if (node->firstChild)
                stack.push_back(node->firstChild);

            switch (node->kind) {
            case ElementKind::Proc:
            case ElementKind::TestCase: count(node->status); break;
            case ElementKind::Stub:
                if (node->status == NodeStatus::Failed)
                    ++counts.failed;
                else if (node->status == NodeStatus::Passed || node->status == NodeStatus::NotExecuted)
                    ++counts.passed;
                break;
            case ElementKind::Class:
            case ElementKind::SingleClass:
                if (const ClassCounters* c = node->classCounters()) {
                    if (c->methodContracts != 0)
                        count(c->contractStatus);
                    if (c->invariants != 0)
                        count(c->invariantStatus);
                    if (c->states != 0)
                        count(c->stateStatus);
                    if (c->stateChartStatus == NodeStatus::Failed)
                        ++counts.failed;
                    if (c->transitions != 0)
                        count(c->transitionStatus);
                }
                break;
            default: break;
            }
        }
    }
    return counts;
}

} // namespace qv
