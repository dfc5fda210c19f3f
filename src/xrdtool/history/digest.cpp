#include "xrdtool/history/digest.h"

#include <openssl/evp.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace xrdtool::history {

Sha256::Sha256() : context_(EVP_MD_CTX_new())
{
    if (!context_ || EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw std::bad_alloc(); // the context is memory; nothing else can fail here
    }
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(context_);
}

void Sha256::update(const char* data, std::size_t size)
{
    EVP_DigestUpdate(context_, data, size);
}

std::string Sha256::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_, digest, &size);
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < size; ++i) {
        out += digits[digest[i] >> 4];
        out += digits[digest[i] & 15];
    }
    return out;
}

struct BackgroundSha256::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> queue;
    /// Blocks hashed, kept for the next copies: a reader's block is larger
    /// than what the allocator hands out from its heap, and a fresh one per
    /// block would be mapped and unmapped each time.
    std::vector<std::string> spare;
    bool ending = false;
    std::thread worker;
};

namespace {

/// Blocks that may wait for the hashing thread (4 MiB): slack for a moment
/// when the other core is busy, so that the reader seldom waits.
constexpr std::size_t QueuedBlocks = 16;

} // namespace

BackgroundSha256::BackgroundSha256() : shared_(new Shared)
{
    // Every block there can be: queued, hashed, being filled.
    shared_->spare.reserve(QueuedBlocks + 2);
    try {
        shared_->worker = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // No thread: update() hashes in place.
    }
}

BackgroundSha256::~BackgroundSha256()
{
    if (shared_->worker.joinable()) {
        {
            const std::lock_guard<std::mutex> hold(shared_->mutex);
            shared_->ending = true;
        }
        shared_->changed.notify_all();
        shared_->worker.join();
    }
}

void BackgroundSha256::work()
{
    std::unique_lock<std::mutex> hold(shared_->mutex);
    for (;;) {
        shared_->changed.wait(hold, [this] { return shared_->ending || !shared_->queue.empty(); });
        if (shared_->queue.empty())
            return;
        std::string block = std::move(shared_->queue.front());
        shared_->queue.pop_front();
        hold.unlock();
        shared_->changed.notify_all();
        sha_.update(block.data(), block.size());
        hold.lock();
        shared_->spare.push_back(std::move(block)); // room was reserved: no allocation
    }
}

void BackgroundSha256::update(const char* data, std::size_t size)
{
    if (!shared_->worker.joinable()) {
        sha_.update(data, size);
        return;
    }
    std::string block;
    {
        const std::lock_guard<std::mutex> hold(shared_->mutex);
        if (!shared_->spare.empty()) {
            block = std::move(shared_->spare.back());
            shared_->spare.pop_back();
        }
    }
    block.assign(data, size); // exhausted memory raises here, on the reading thread
    {
        std::unique_lock<std::mutex> hold(shared_->mutex);
        shared_->changed.wait(hold, [this] { return shared_->queue.size() < QueuedBlocks; });
        shared_->queue.push_back(std::move(block));
    }
    shared_->changed.notify_all();
}

std::string BackgroundSha256::hex()
{
    if (shared_->worker.joinable()) {
        {
            const std::lock_guard<std::mutex> hold(shared_->mutex);
            shared_->ending = true;
        }
        shared_->changed.notify_all();
        shared_->worker.join();
    }
    return sha_.hex();
}

FileSha256::FileSha256(std::string path) : path_(std::move(path))
{
    try {
        thread_ = std::thread([this] {
            try {
                std::string reason;
                if (!sha256File(path_, hex_, reason))
                    hex_.clear();
            } catch (...) {
                failure_ = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread: hex() computes it.
    }
}

FileSha256::~FileSha256()
{
    if (thread_.joinable())
        thread_.join();
}

std::string FileSha256::hex()
{
    if (thread_.joinable()) {
        thread_.join();
        done_ = true;
    }
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    if (!done_) {
        std::string reason;
        if (!sha256File(path_, hex_, reason))
            hex_.clear();
        done_ = true;
    }
    return hex_;
}

void HeadSha256::update(const char* data, std::size_t size)
{
    const std::size_t taken = std::min(size, HeadBytes - fed_);
    sha_.update(data, taken);
    fed_ += taken;
}

bool sha256File(const std::string& path, std::string& hexDigest, std::string& error, std::size_t limit)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    Sha256 sha;
    std::vector<char> buffer(std::size_t(1) << 18);
    std::size_t got;
    std::size_t left = limit == 0 ? std::size_t(-1) : limit;
    while (left > 0 && (got = std::fread(buffer.data(), 1, std::min(buffer.size(), left), file)) > 0) {
        sha.update(buffer.data(), got);
        left -= got;
    }
    const bool failed = std::ferror(file);
    if (failed)
        error = std::strerror(errno);
    std::fclose(file);
    hexDigest = sha.hex();
    return !failed;
}

} // namespace xrdtool::history
