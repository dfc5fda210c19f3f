#pragma once
// Reading split in two: one side turns the input into batches of records,
// the other applies them to the tree, either one after the other or at the
// same time on two threads, with the same result.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace qv {

/// A fixed ring of batches passed from the producing thread to the consuming
/// one, so that memory stays bounded however long the input is. A batch
/// type has a `bool last` that marks the final batch.
template <class Batch, size_t Size = 4> class BatchRing {
public:
    /// The batch to fill next (producer); waits while all are full.
    Batch &acquireFree()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return filled_ < Size; });
        return batches_[(head_ + filled_) % Size];
    }
    /// Hands the batch from acquireFree() to the consumer.
    void publish()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++filled_;
        changed_.notify_all();
    }
    /// The oldest filled batch (consumer); waits while none is.
    Batch &acquireFilled()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return filled_ > 0; });
        return batches_[head_];
    }
    /// Gives the batch from acquireFilled() back for filling.
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        head_ = (head_ + 1) % Size;
        --filled_;
        changed_.notify_all();
    }

private:
    Batch batches_[Size];
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t head_ = 0;
    size_t filled_ = 0;
};

/// Calls produce(batch) until it marks a batch last, and consume(batch) for
/// every batch in order. With `concurrent`, produce runs on a second thread
/// (it must touch nothing that consume touches); otherwise both run here,
/// alternately.
template <class Batch, class Produce, class Consume>
void runPipeline(bool concurrent, Produce &&produce, Consume &&consume)
{
    if (!concurrent) {
        Batch batch;
        do {
            produce(batch);
            consume(batch);
        } while (!batch.last);
        return;
    }
    BatchRing<Batch> ring;
    std::thread producer([&] {
        for (;;) {
            Batch &batch = ring.acquireFree();
            produce(batch);
            const bool last = batch.last;
            ring.publish();
            if (last)
                return;
        }
    });
    for (;;) {
        Batch &batch = ring.acquireFilled();
        consume(batch);
        const bool last = batch.last;
        ring.release();
        if (last)
            break;
    }
    producer.join();
}

} // namespace qv
