#include "readers/tdffile.h"

#include "model/evaluation.h"
#include "readers/pipeline.h"
#include "readers/tdfrecord.h"

#include <string>

#include <sys/stat.h>

namespace qv {

namespace {

/// Traces of at least this size are lexed on a second thread.
constexpr off_t ConcurrentTraceBytes = off_t(1) << 20;

/// The event each verdict value counts; other values count nothing.
constexpr TraceEvent VerdictEvents[] = {TraceEvent::FailVerdict, TraceEvent::PassVerdict,
                                        TraceEvent::IllegalExit, TraceEvent::MultipleExit};
constexpr size_t VerdictCount = sizeof VerdictEvents / sizeof VerdictEvents[0];

/// The tree side of the reader: applies batches of records in order.
class TdfApplier {
public:
    explicit TdfApplier(TestTree& tree) : tree_(tree) {}

    void apply(const TdfBatch& batch)
    {
        size_t text = 0;     // next text in batch.texts
        size_t textItem = 0; // its entry in batch.textLengths
        size_t checksum = 0;
        const TdfBatch::Event* events = batch.events.data();
        const size_t count = batch.events.size();
        for (size_t i = 0; i < count;) {
            // Runs of plain events on the current file are taken in steps: the
            // elements are looked up and asked into the cache first, then the
            // events applied in order, so that waiting for one element's
            // memory overlaps waiting for the others.
            if (currentFile_ >= 0 && isElementEvent(events[i].kind)) {
                size_t n = 0;
                while (n < Step && i + n < count && isElementEvent(events[i + n].kind)) {
                    TestNode* node = elementOf(events[i + n].value);
                    if (node) {
                        __builtin_prefetch(reinterpret_cast<const char*>(node));
                        __builtin_prefetch(reinterpret_cast<const char*>(node) + 64);
                    }
                    nodes_[n++] = node;
                }
                for (size_t k = 0; k < n; ++k)
                    if (nodes_[k] && nodes_[k]->verdictAnchor)
                        __builtin_prefetch(nodes_[k]->verdictAnchor->counters);
                for (size_t k = 0; k < n; ++k) {
                    const TdfBatch::Event& e = events[i + k];
                    if (e.kind == TdfRecordKind::Hit) {
                        if (nodes_[k])
                            markHit(nodes_[k], TraceEvent::Hit);
                        if (hasPending_)
                            tree_.attachTraceText(currentFile_, e.value, pending_);
                        dropPending();
                    } else if (nodes_[k] && e.verdict < VerdictCount) {
                        markHit(nodes_[k], VerdictEvents[e.verdict]);
                    }
                }
                i += n;
                continue;
            }
            const TdfBatch::Event& e = events[i++];
            switch (e.kind) {
            case TdfRecordKind::SourceFile:
                tree_.bindTdfFile(e.value, batch.checksums[checksum], batch.checksums[checksum + 1]);
                checksum += 2;
                currentFile_ = tree_.fileIndexOfTdfId(e.value);
                dropPending();
                break;
            case TdfRecordKind::CurrentFile:
                currentFile_ = tree_.fileIndexOfTdfId(e.value);
                dropPending();
                break;
            case TdfRecordKind::Hit:
                // No current file: the event and its text are lost.
                dropPending();
                break;
            case TdfRecordKind::Note: {
                const size_t length = batch.textLengths[textItem++];
                pending_.append(batch.texts, text, length);
                text += length;
                hasPending_ = true;
                break;
            }
            default: break;
            }
        }
    }

private:
    static constexpr size_t Step = 16;

    /// True for the records that count an event on an element of the current file.
    static bool isElementEvent(TdfRecordKind kind)
    {
        return kind == TdfRecordKind::Hit || kind == TdfRecordKind::Verdict;
    }

    /// Forgets the pending text: attached, lost with its element, or dropped
    /// by a change of file.
    void dropPending()
    {
        pending_.clear(); // keeps its capacity for the next text
        hasPending_ = false;
    }

    /// The element of the id in the current file. Events come in runs on one
    /// element (reached, then its verdict, often in a loop): the element found
    /// last is kept. The read adds no node, so what the index gives for a
    /// pair cannot change meanwhile.
    TestNode* elementOf(uint32_t id)
    {
        if (currentFile_ != lastFile_ || id != lastId_) {
            lastNode_ = tree_.findNode(currentFile_, id);
            lastFile_ = currentFile_;
            lastId_ = id;
        }
        return lastNode_;
    }

    TestTree& tree_;
    int currentFile_ = -1;
    std::string pending_;
    bool hasPending_ = false;
    TestNode* lastNode_ = nullptr;
    int lastFile_ = -2;
    uint32_t lastId_ = 0;
    TestNode* nodes_[Step];
};

} // namespace

bool detail::readTdfStream(TestTree& tree, InStream& in, bool concurrent)
{
    TdfApplier applier(tree);
    TdfRecord record;
    std::string line;
    line.reserve(256);
    // With `concurrent`, the lexing touches only the stream (and the error
    // stream for refused numbers, in reading order); the tree is changed by
    // this thread alone.
    runPipeline<TdfBatch>(
        concurrent, [&](TdfBatch& batch) { lexTdfBatch(in, batch, record, line); },
        [&](const TdfBatch& batch) { applier.apply(batch); });
    return !in.failed();
}

bool readTdfFile(TestTree& tree, const std::string& path)
{
    InStream in;
    if (!in.open(path))
        return false;
    // A second thread pays off only on a long trace.
    struct stat status;
    const bool longTrace = ::stat(path.c_str(), &status) == 0 && status.st_size >= ConcurrentTraceBytes;
    return detail::readTdfStream(tree, in, longTrace);
}

} // namespace qv
