#pragma once
// The test tree: every element read from the OTS files, found by the pair
// (file index, id), with the list of OTS file entries and the walks over it.

#include "model/arena.h"
#include "model/kinds.h"
#include "model/textstore.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv {

/// Result of an element; the report shows 0 and 1 alike as not executed.
enum class NodeStatus : int16_t { NotExecuted = 0, Executed = 1, Failed = 2, Passed = 3 };

/// Counters of a verdict-kind node, all 0 at creation.
struct VerdictCounters {
    int32_t hits = 0;
    int32_t passed = 0;
    int32_t failed = 0;
    int32_t illegalExits = 0;
    int32_t multipleExits = 0;
};

/// Declaration counts and member-group statuses of a Class or SingleClass.
struct ClassCounters {
    int32_t methodContracts = 0;
    int32_t invariants = 0;
    int32_t states = 0;
    int32_t transitions = 0;
    NodeStatus stateStatus = NodeStatus::Executed;
    NodeStatus stateChartStatus = NodeStatus::Passed;
    NodeStatus transitionStatus = NodeStatus::Executed;
    NodeStatus contractStatus = NodeStatus::Executed;
    NodeStatus invariantStatus = NodeStatus::Executed;
};

/// Declaration counts of a file's TestDriver root, all 0 at creation.
struct DriverCounters {
    int32_t classes = 0;
    int32_t testClasses = 0;
    int32_t testSuites = 0;
    int32_t testCases = 0;
    int32_t epilogues = 0;
    int32_t prologues = 0;
    int32_t procedures = 0;
    int32_t stubs = 0;
};

/// One element of a test script. At most one of the three counter records is set,
/// chosen by the kind at creation. The fields are packed: a tree holds up to
/// millions of nodes, and every walk over it reads them.
struct TestNode {
    /// Which counter record `counters` points to.
    enum CounterRecord : uint8_t { NoCounters, VerdictRecord, ClassRecord, DriverRecord };

    ElementKind kind = ElementKind::NoKind;
    uint8_t counterRecord = NoCounters;
    NodeStatus status = NodeStatus::NotExecuted;
    int fileIndex = 0;
    uint32_t id = 0;
    uint32_t refId = 0;
    int line = 0;
    uint32_t nameLength = 0;
    /// Bytes of the name, kept in the tree's name store.
    const char* nameData = nullptr;
    void* counters = nullptr;
    /// Reference of the node's last trace text in the tree's text store
    /// (TraceTextStore::NoText: none); each text links to the one before.
    uint64_t lastText = TraceTextStore::NoText;
    TestNode* parent = nullptr;
    TestNode* nextSibling = nullptr;
    TestNode* firstChild = nullptr;
    TestNode* lastChild = nullptr;
    /// Nearest node of a verdict kind from this one up (itself first), as
    /// declared; lets markHit find it without climbing.
    TestNode* verdictAnchor = nullptr;
    /// Nearest Class or SingleClass from this one up (itself first), as declared.
    TestNode* classAnchor = nullptr;

    /// The element's name.
    std::string_view name() const { return std::string_view(nameData, nameLength); }
    /// Counters of a verdict-kind node, else null.
    VerdictCounters* verdict() const
    {
        return counterRecord == VerdictRecord ? static_cast<VerdictCounters*>(counters) : nullptr;
    }
    /// Declaration counts and group statuses of a Class or SingleClass, else null.
    ClassCounters* classCounters() const
    {
        return counterRecord == ClassRecord ? static_cast<ClassCounters*>(counters) : nullptr;
    }
    /// Declaration counts of a file's TestDriver root, else null.
    DriverCounters* driverCounters() const
    {
        return counterRecord == DriverRecord ? static_cast<DriverCounters*>(counters) : nullptr;
    }
};

/// One OTS file read, or one extra trace-file binding of it (a copy without root).
struct OtsFileEntry {
    int fileIndex = 0;
    uint32_t tdfFileId = 0;
    uint32_t sourceValue = 0;
    uint32_t checksum1 = 0;
    uint32_t checksum2 = 0;
    std::optional<std::string> sourceDirectory;
    std::optional<std::string> sourceFileName;
    TestNode* root = nullptr;
};

/// The process's store of elements: node arena, identifier index and file list.
class TestTree {
public:
    TestTree();
    ~TestTree();
    TestTree(const TestTree&) = delete;
    TestTree& operator=(const TestTree&) = delete;

    /// Empties the index and the file list.
    void initTree();
    /// Makes the entry and the TestDriver root, named `rootName`, of an OTS
    /// file, at the front of the file list.
    void openOtsFile(int fileIndex, std::string_view rootName);
    /// Allocates a node with its counter record and first status, and counts
    /// it as declared under its parent; does not link it.
    TestNode* createNode(ElementKind kind, int fileIndex, uint32_t id, std::string_view name,
                         TestNode* parent, int line);
    /// Creates, registers and appends a node under the parent (fileIndex, parentId);
    /// nothing when that parent is not found.
    void addNode(int fileIndex, ElementKind kind, uint32_t id, std::string_view name, uint32_t parentId,
                 int line, uint32_t refId);
    /// Bucket (0 to 96) of the identifier text "%d/%lxh" of the pair.
    static uint32_t nodeHash(int fileIndex, uint32_t id);
    /// The node registered for the pair, or null.
    TestNode* findNode(int fileIndex, uint32_t id) const;
    /// Sets the source directory, file name and value of the first entry of the file.
    void setSourceFile(int fileIndex, const std::optional<std::string>& directory,
                       const std::optional<std::string>& fileName, uint32_t value);
    /// Sets the checksum pair of the first entry of the file.
    void setChecksum(int fileIndex, uint32_t checksum1, uint32_t checksum2);
    /// Binds a trace-file identifier to the file with this checksum pair.
    void bindTdfFile(uint32_t tdfFileId, uint32_t checksum1, uint32_t checksum2);
    /// File index bound to a trace-file identifier, or -1.
    int fileIndexOfTdfId(uint32_t tdfFileId) const;
    /// Puts `prefix` in front of the node's name.
    void prefixName(TestNode* node, std::string_view prefix);
    /// Appends a text to the node of the pair; dropped when there is no such node.
    void attachTraceText(int fileIndex, uint32_t id, std::string_view text);
    /// The store of the trace texts; TestNode::lastText refers into it.
    const TraceTextStore& traceTexts() const { return texts_; }
    /// True when a trace text was attached to the node.
    static bool hasTraceTexts(const TestNode& node) { return node.lastText != TraceTextStore::NoText; }
    /// Number of file entries that have a root.
    int fileCount() const;
    /// Root of the n-th entry with a root, in file-list order (newest first).
    TestNode* fileRoot(int n) const;
    /// Source directory followed by file name of the n-th entry with a root.
    std::optional<std::string> otsFileNameAt(int n) const;
    /// Source directory followed by file name of the first entry of this file index.
    std::optional<std::string> otsFileName(int fileIndex) const;
    /// Frees every node, text and file entry; the tree is then empty.
    void releaseTree();

    /// Number of entries of the file list, copies included.
    int entryCount() const { return int(files_.size()); }
    /// The n-th entry of the file list, front (newest) first.
    const OtsFileEntry& entry(int n) const { return *files_[files_.size() - 1 - size_t(n)]; }
    /// Number of nodes created since initTree.
    size_t nodeCount() const { return nodes_.size(); }

private:
    /// Registers a node by (fileIndex, id); the node registered first for a pair wins.
    void registerNode(TestNode* node);
    OtsFileEntry* firstEntryOf(int fileIndex) const;

    Arena<TestNode> nodes_;
    ByteArena names_;
    Arena<VerdictCounters> verdicts_;
    Arena<ClassCounters> classes_;
    Arena<DriverCounters> drivers_;
    TraceTextStore texts_;
    std::vector<std::unique_ptr<OtsFileEntry>> files_; // oldest first; the list runs back to front
    /// The entries with a root, in the same order as files_: fileRoot without a walk.
    std::vector<OtsFileEntry*> rootEntries_;
    /// Position in files_ of the front-most entry bound to a trace-file id, and of
    /// the front-most entry with a checksum pair; rebuilt after any change other
    /// than a new copy in front, so that a trace naming many files stays linear.
    mutable std::unordered_map<uint32_t, size_t> tdfIdIndex_;
    mutable std::unordered_map<uint64_t, size_t> pairIndex_;
    mutable bool bindingIndexValid_ = false;
    void rebuildBindingIndex() const;
    /// Ids of one file that are small enough to be looked up by position:
    /// the compiler numbers elements from 1 up, so nearly every id lands here.
    /// The table is cut in pages made when first used, so that it grows
    /// without copying.
    struct DirectIds {
        static constexpr unsigned PageBits = 12;
        static constexpr uint32_t PageSize = 1u << PageBits;
        std::vector<std::unique_ptr<TestNode*[]>> pages; ///< null where none is used yet
        size_t count = 0;                                ///< nodes registered here
        /// The slot of an id below pages.size() * PageSize, or null when its page is unused.
        TestNode** slot(uint32_t id) const
        {
            TestNode** page = pages[id >> PageBits].get();
            return page ? page + (id & (PageSize - 1)) : nullptr;
        }
    };
    std::vector<DirectIds> direct_; // by file index
    struct Bucket;
    std::unique_ptr<Bucket[]> buckets_; ///< the 97-bucket index: every other pair
    size_t bucketed_ = 0;               ///< nodes registered in the buckets
};

/// Calls f(child) for each direct child, from firstChild along nextSibling.
template <class F> void forEachChild(TestNode* node, F&& f)
{
    for (TestNode* c = node ? node->firstChild : nullptr; c; c = c->nextSibling)
        f(c);
}

/// For the node and each following sibling: its children's walk, then f(node).
/// Iterative, so any depth is safe; a node's nextSibling is read after f ran on it,
/// and its firstChild when the walk reaches it, as the recursive form does.
template <class F> void walkPostOrder(TestNode* node, F&& f)
{
    std::vector<TestNode*> stack;
    auto descend = [&stack](TestNode* n) {
        while (n) {
            stack.push_back(n);
            n = n->firstChild;
        }
    };
    descend(node);
    while (!stack.empty()) {
        TestNode* n = stack.back();
        f(n);
        TestNode* next = n->nextSibling;
        stack.pop_back();
        descend(next);
    }
}

/// Orders two nodes by name as unsigned bytes (strcmp order); <0, 0 or >0.
int compareNodesByName(const TestNode& a, const TestNode& b);

} // namespace qv
