#pragma once
// Reading split in two: one side turns the input into batches of records,
// the other applies them to the tree, either one after the other or at the
// same time on two threads, with the same result.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace qv {

/// A fixed ring of batches passed from the producing thread to the consuming
/// one, so that memory stays bounded however long the input is. A batch
/// type has a `bool last` that marks the final batch. Either side can end the
/// exchange early: the consumer by close() (the producer then gets no more
/// free batches), the producer by finish() (the consumer gets the batches
/// filled so far, then none).
template <class Batch, size_t Size = 4> class BatchRing {
public:
    /// The batch to fill next (producer); waits while all are full; null once closed.
    Batch* acquireFree()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return filled_ < Size || closed_; });
        return closed_ ? nullptr : &batches_[(head_ + filled_) % Size];
    }
    /// Hands the batch from acquireFree() to the consumer.
    void publish()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++filled_;
        changed_.notify_all();
    }
    /// Ends production: no batch follows those published.
    void finish()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    /// The oldest filled batch (consumer); waits while none is; null when
    /// none is and production has finished.
    Batch* acquireFilled()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return filled_ > 0 || finished_; });
        return filled_ > 0 ? &batches_[head_] : nullptr;
    }
    /// Gives the batch from acquireFilled() back for filling.
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        head_ = (head_ + 1) % Size;
        --filled_;
        changed_.notify_all();
    }
    /// Ends consumption: the producer's next acquireFree() gives null.
    void close()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }

private:
    Batch batches_[Size];
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t head_ = 0;
    size_t filled_ = 0;
    bool finished_ = false;
    bool closed_ = false;
};

/// Calls produce(batch) until it marks a batch last, and consume(batch) for
/// every batch in order, with the same result either way:
/// - alone (`concurrent` false, or no second thread can be started): both
///   run here, alternately;
/// - with `concurrent`: produce runs on a second thread (it must touch
///   nothing that consume touches).
/// An exception of either side (memory exhausted) ends both, the second
/// thread is joined on every path, and the exception goes on to the caller.
template <class Batch, class Produce, class Consume>
void runPipeline(bool concurrent, Produce&& produce, Consume&& consume)
{
    auto alone = [&] {
        auto batch = std::make_unique<Batch>();
        do {
            produce(*batch);
            consume(*batch);
        } while (!batch->last);
    };
    if (!concurrent) {
        alone();
        return;
    }
    auto ring = std::make_unique<BatchRing<Batch>>();
    std::exception_ptr producerError;
    std::thread producer;
    try {
        producer = std::thread([&] {
            try {
                while (Batch* batch = ring->acquireFree()) {
                    produce(*batch);
                    const bool last = batch->last;
                    ring->publish();
                    if (last)
                        break;
                }
            } catch (...) {
                producerError = std::current_exception();
            }
            ring->finish();
        });
    } catch (const std::system_error&) {
        // No thread to be had (resources exhausted): the same work alone.
        alone();
        return;
    } catch (const std::bad_alloc&) {
        alone();
        return;
    }
    try {
        while (Batch* batch = ring->acquireFilled()) {
            consume(*batch);
            const bool last = batch->last;
            ring->release();
            if (last)
                break;
        }
    } catch (...) {
        ring->close();
        producer.join();
        throw;
    }
    ring->close();
    producer.join();
    if (producerError)
        std::rethrow_exception(producerError);
}

} // namespace qv
