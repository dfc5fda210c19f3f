#include "model/tree.h"

#include "model/kinds.h"

#include <algorithm>
#include <cstring>

namespace qv {

namespace {

constexpr uint32_t BucketCount = 97;
/// Files whose ids can be looked up by position (by file index).
constexpr int MaxDirectFiles = 4096;
/// Ids below this are always stored by position.
constexpr size_t DirectMargin = 4096;

/// The (file index, id) pair as one key.
inline uint64_t pairKey(int fileIndex, uint32_t id)
{
    return (uint64_t(uint32_t(fileIndex)) << 32) | id;
}

/// A checksum pair as one key.
inline uint64_t checksumKey(uint32_t checksum1, uint32_t checksum2)
{
    return (uint64_t(checksum1) << 32) | checksum2;
}

} // namespace

/// One bucket of the identifier index: an open-addressing table from the
/// (file index, id) key to the node registered first for it, so that a lookup
/// costs the same however many nodes share the bucket.
struct TestTree::Bucket {
    struct Slot {
        uint64_t key = 0;
        TestNode* node = nullptr; ///< null marks a free slot
    };
    std::vector<Slot> table; ///< size 0 or a power of two
    size_t used = 0;

    static size_t slotOf(uint64_t key, size_t mask)
    {
        return size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    }

    TestNode* find(uint64_t key) const
    {
        if (table.empty())
            return nullptr;
        const size_t mask = table.size() - 1;
        for (size_t i = slotOf(key, mask);; i = (i + 1) & mask) {
            const Slot& s = table[i];
            if (!s.node)
                return nullptr;
            if (s.key == key)
                return s.node;
        }
    }

    /// Inserts the key unless it is present; the table stays at most half full.
    void insert(uint64_t key, TestNode* node)
    {
        if ((used + 1) * 2 > table.size())
            grow();
        const size_t mask = table.size() - 1;
        for (size_t i = slotOf(key, mask);; i = (i + 1) & mask) {
            Slot& s = table[i];
            if (!s.node) {
                s.key = key;
                s.node = node;
                ++used;
                return;
            }
            if (s.key == key)
                return;
        }
    }

    void grow()
    {
        std::vector<Slot> old;
        old.swap(table);
        table.resize(old.empty() ? 8 : old.size() * 2);
        const size_t mask = table.size() - 1;
        for (const Slot& s : old) {
            if (!s.node)
                continue;
            size_t i = slotOf(s.key, mask);
            while (table[i].node)
                i = (i + 1) & mask;
            table[i] = s;
        }
    }

    void clear()
    {
        std::vector<Slot>().swap(table);
        used = 0;
    }
};

TestTree::TestTree() : buckets_(new Bucket[BucketCount])
{}

TestTree::~TestTree() = default;

void TestTree::initTree()
{
    releaseTree();
}

void TestTree::openOtsFile(int fileIndex, std::string_view rootName)
{
    auto entry = std::make_unique<OtsFileEntry>();
    entry->fileIndex = fileIndex;
    entry->root = createNode(ElementKind::TestDriver, fileIndex, 1, rootName, nullptr, 0);
    registerNode(entry->root);
    rootEntries_.push_back(entry.get());
    files_.push_back(std::move(entry));
    bindingIndexValid_ = false;
}

TestNode* TestTree::createNode(ElementKind kind, int fileIndex, uint32_t id, std::string_view name,
                               TestNode* parent, int line)
{
    TestNode& node = nodes_.emplace_back();
    node.kind = kind;
    node.fileIndex = fileIndex;
    node.id = id;
    const std::string_view stored = names_.store(name);
    node.nameData = stored.data();
    node.nameLength = uint32_t(stored.size());
    node.line = line;
    node.parent = parent;

    if (isVerdictKind(kind)) {
        node.counters = &verdicts_.emplace_back();
        node.counterRecord = TestNode::VerdictRecord;
        node.status = kind == ElementKind::ObservationState ? NodeStatus::Passed : NodeStatus::NotExecuted;
    } else {
        node.status = NodeStatus::Passed;
        if (kind == ElementKind::Class || kind == ElementKind::SingleClass) {
            node.counters = &classes_.emplace_back();
            node.counterRecord = TestNode::ClassRecord;
        } else if (kind == ElementKind::TestDriver) {
            node.counters = &drivers_.emplace_back();
            node.counterRecord = TestNode::DriverRecord;
        }
    }

    // The anchors are what a climb from this node (itself first) would find
    // now; the parent chain does not change until the stub relinking.
    node.verdictAnchor = node.verdict() ? &node : (parent ? parent->verdictAnchor : nullptr);
    node.classAnchor = node.classCounters() ? &node : (parent ? parent->classAnchor : nullptr);

    if (!parent)
        return &node;

    // Count the declaration on the file's root or on the enclosing class. A
    // parent's chain, as declared, ends at the root of its file, the node
    // registered first as id 1 of that file.
    const TestNode* root = findNode(parent->fileIndex, 1);
    if (DriverCounters* d = root ? root->driverCounters() : nullptr) {
        switch (kind) {
        case ElementKind::Prologue: ++d->prologues; break;
        case ElementKind::Epilogue: ++d->epilogues; break;
        case ElementKind::Class:
        case ElementKind::SingleClass: ++d->classes; break;
        case ElementKind::Proc: ++d->procedures; break;
        case ElementKind::Stub: ++d->stubs; break;
        case ElementKind::TestCase: ++d->testCases; break;
        case ElementKind::TestClass: ++d->testClasses; break;
        case ElementKind::TestSuite: ++d->testSuites; break;
        default: break;
        }
    }
    if (ClassCounters* c = parent->classAnchor ? parent->classAnchor->classCounters() : nullptr) {
        switch (kind) {
        case ElementKind::Invariant: ++c->invariants; break;
        case ElementKind::State: ++c->states; break;
        case ElementKind::Transition: ++c->transitions; break;
        case ElementKind::MethodContract: ++c->methodContracts; break;
        default: break;
        }
    }
    return &node;
}

void TestTree::addNode(int fileIndex, ElementKind kind, uint32_t id, std::string_view name, uint32_t parentId,
                       int line, uint32_t refId)
{
    TestNode* parent = findNode(fileIndex, parentId);
    if (!parent)
        return;
    TestNode* node = createNode(kind, fileIndex, id, name, parent, line);
    registerNode(node);
    if (parent->lastChild)
        parent->lastChild->nextSibling = node;
    else
        parent->firstChild = node;
    parent->lastChild = node;
    node->refId = refId;
}

void TestTree::registerNode(TestNode* node)
{
    if (!node)
        return;
    const int fileIndex = node->fileIndex;
    const uint32_t id = node->id;
    // The node registered first for a pair keeps it.
    if (findNode(fileIndex, id))
        return;
    if (fileIndex >= 0 && fileIndex < MaxDirectFiles) {
        if (size_t(fileIndex) >= direct_.size())
            direct_.resize(size_t(fileIndex) + 1);
        DirectIds& d = direct_[size_t(fileIndex)];
        // A table at least about half used: ids up to twice the file's count
        // (plus a margin) are stored by position, others go to the buckets.
        if (id <= 2 * d.count + DirectMargin) {
            const size_t page = id >> DirectIds::PageBits;
            if (page >= d.pages.size())
                d.pages.resize(page + 1);
            if (!d.pages[page])
                d.pages[page].reset(new TestNode*[DirectIds::PageSize]());
            d.pages[page][id & (DirectIds::PageSize - 1)] = node;
            ++d.count;
            return;
        }
    }
    buckets_[nodeHash(fileIndex, id)].insert(pairKey(fileIndex, id), node);
    ++bucketed_;
}

uint32_t TestTree::nodeHash(int fileIndex, uint32_t id)
{
    // The text "%d/%lxh" of the pair, weighted by 1-based character position.
    char text[24];
    int len = 0;
    uint32_t magnitude = uint32_t(fileIndex);
    if (fileIndex < 0) {
        text[len++] = '-';
        magnitude = 0u - magnitude;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (n)
        text[len++] = digits[--n];
    text[len++] = '/';
    static const char hex[] = "0123456789abcdef";
    do {
        digits[n++] = hex[id & 0xF];
        id >>= 4;
    } while (id);
    while (n)
        text[len++] = digits[--n];
    text[len++] = 'h';

    uint32_t sum = 0;
    for (int i = 0; i < len; ++i)
        sum += uint32_t(uint8_t(text[i])) * uint32_t(i + 1);
    return sum % BucketCount;
}

TestNode* TestTree::findNode(int fileIndex, uint32_t id) const
{
    if (fileIndex >= 0 && size_t(fileIndex) < direct_.size()) {
        const DirectIds& d = direct_[size_t(fileIndex)];
        if ((id >> DirectIds::PageBits) < d.pages.size()) {
            if (TestNode** slot = d.slot(id); slot && *slot)
                return *slot;
        }
    }
    if (bucketed_ == 0)
        return nullptr;
    return buckets_[nodeHash(fileIndex, id)].find(pairKey(fileIndex, id));
}

OtsFileEntry* TestTree::firstEntryOf(int fileIndex) const
{
    for (auto it = files_.rbegin(); it != files_.rend(); ++it)
        if ((*it)->fileIndex == fileIndex)
            return it->get();
    return nullptr;
}

void TestTree::setSourceFile(int fileIndex, const std::optional<std::string>& directory,
                             const std::optional<std::string>& fileName, uint32_t value)
{
    OtsFileEntry* e = firstEntryOf(fileIndex);
    if (!e)
        return;
    e->sourceValue = value;
    if (directory)
        e->sourceDirectory = *directory;
    if (fileName)
        e->sourceFileName = *fileName;
}

void TestTree::setChecksum(int fileIndex, uint32_t checksum1, uint32_t checksum2)
{
    OtsFileEntry* e = firstEntryOf(fileIndex);
    if (!e)
        return;
    e->checksum1 = checksum1;
    e->checksum2 = checksum2;
    bindingIndexValid_ = false;
}

void TestTree::rebuildBindingIndex() const
{
    tdfIdIndex_.clear();
    pairIndex_.clear();
    // Oldest first, so that the front-most entry of each key is the one kept.
    for (size_t pos = 0; pos < files_.size(); ++pos) {
        const OtsFileEntry& e = *files_[pos];
        tdfIdIndex_[e.tdfFileId] = pos;
        pairIndex_[checksumKey(e.checksum1, e.checksum2)] = pos;
    }
    bindingIndexValid_ = true;
}

void TestTree::bindTdfFile(uint32_t tdfFileId, uint32_t checksum1, uint32_t checksum2)
{
    if (!bindingIndexValid_)
        rebuildBindingIndex();
    const auto found = pairIndex_.find(checksumKey(checksum1, checksum2));
    if (found == pairIndex_.end())
        return;
    {
        OtsFileEntry& e = *files_[found->second];
        if (e.tdfFileId == 0) {
            e.tdfFileId = tdfFileId;
            bindingIndexValid_ = false;
            return;
        }
        // A trace that names the same file under the same id again changes
        // nothing: another copy would only lengthen the list.
        if (fileIndexOfTdfId(tdfFileId) == e.fileIndex)
            return;
    }
    {
        const OtsFileEntry& e = *files_[found->second];
        auto copy = std::make_unique<OtsFileEntry>();
        copy->fileIndex = e.fileIndex;
        copy->tdfFileId = tdfFileId;
        copy->sourceValue = e.sourceValue;
        copy->checksum1 = e.checksum1;
        copy->checksum2 = e.checksum2;
        copy->sourceDirectory = e.sourceDirectory;
        copy->sourceFileName = e.sourceFileName;
        files_.push_back(std::move(copy));
        // The copy is the front-most entry of its id and of its pair.
        const size_t pos = files_.size() - 1;
        tdfIdIndex_[tdfFileId] = pos;
        pairIndex_[checksumKey(checksum1, checksum2)] = pos;
    }
}

int TestTree::fileIndexOfTdfId(uint32_t tdfFileId) const
{
    if (!bindingIndexValid_)
        rebuildBindingIndex();
    const auto found = tdfIdIndex_.find(tdfFileId);
    return found == tdfIdIndex_.end() ? -1 : files_[found->second]->fileIndex;
}

void TestTree::prefixName(TestNode* node, std::string_view prefix)
{
    const std::string_view joined = names_.concat(prefix, node->name());
    node->nameData = joined.data();
    node->nameLength = uint32_t(joined.size());
}

void TestTree::attachTraceText(int fileIndex, uint32_t id, std::string_view text)
{
    TestNode* node = findNode(fileIndex, id);
    if (!node)
        return;
    node->lastText = texts_.append(node->lastText, text);
}

int TestTree::fileCount() const
{
    return int(rootEntries_.size());
}

namespace {

/// Source directory followed by file name, an absent part as empty.
std::string joinedName(const OtsFileEntry& e)
{
    std::string name = e.sourceDirectory.value_or(std::string());
    if (e.sourceFileName)
        name += *e.sourceFileName;
    return name;
}

} // namespace

TestNode* TestTree::fileRoot(int n) const
{
    if (n < 0 || size_t(n) >= rootEntries_.size())
        return nullptr;
    return rootEntries_[rootEntries_.size() - 1 - size_t(n)]->root;
}

std::optional<std::string> TestTree::otsFileNameAt(int n) const
{
    if (n < 0 || size_t(n) >= rootEntries_.size())
        return std::nullopt;
    return joinedName(*rootEntries_[rootEntries_.size() - 1 - size_t(n)]);
}

std::optional<std::string> TestTree::otsFileName(int fileIndex) const
{
    const OtsFileEntry* e = firstEntryOf(fileIndex);
    if (!e)
        return std::nullopt;
    return joinedName(*e);
}

void TestTree::releaseTree()
{
    // Every node, name and counter record lives in the tree's own arenas, every
    // text in its text store (temporary file included): releasing is clearing them,
    // whatever the depth of the tree.
    for (uint32_t b = 0; b < BucketCount; ++b)
        buckets_[b].clear();
    bucketed_ = 0;
    std::vector<DirectIds>().swap(direct_);
    files_.clear();
    rootEntries_.clear();
    tdfIdIndex_.clear();
    pairIndex_.clear();
    bindingIndexValid_ = false;
    texts_.clear();
    verdicts_.clear();
    classes_.clear();
    drivers_.clear();
    nodes_.clear();
    names_.clear();
}

int compareNodesByName(const TestNode& a, const TestNode& b)
{
    const size_t n = a.name().size() < b.name().size() ? a.name().size() : b.name().size();
    const int c = n ? std::memcmp(a.name().data(), b.name().data(), n) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (a.name().size() == b.name().size())
        return 0;
    return a.name().size() < b.name().size() ? -1 : 1;
}

} // namespace qv
