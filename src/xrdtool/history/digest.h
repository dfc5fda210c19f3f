#pragma once
// SHA-256 of a report's bytes, computed while the reader goes through them
// (OpenSSL's libcrypto): the run's default id and the key that tells the
// same report copied elsewhere.

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <thread>

struct evp_md_ctx_st;

namespace xrdtool::history {

/// A running SHA-256.
class Sha256 {
public:
    /// A fresh digest; its context is memory (std::bad_alloc when there is none).
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    /// Adds bytes.
    void update(const char* data, std::size_t size);
    /// The digest in lower-case hex (64 digits); ends the computation.
    std::string hex();

private:
    evp_md_ctx_st* context_;
};

/// A SHA-256 computed on a thread of its own while the caller goes on: the
/// digest of a large report then costs no time of the reading thread. A few
/// blocks wait at most (4 MiB); without a thread it hashes in place.
class BackgroundSha256 {
public:
    /// Starts the hashing thread (without one, update() hashes in place).
    BackgroundSha256();
    /// Joins the thread.
    ~BackgroundSha256();
    BackgroundSha256(const BackgroundSha256&) = delete;
    BackgroundSha256& operator=(const BackgroundSha256&) = delete;
    /// Adds a copy of the bytes; waits while the queue is full.
    void update(const char* data, std::size_t size);
    /// The digest of everything added; ends the computation.
    std::string hex();

private:
    struct Shared;
    void work();

    Sha256 sha_;
    std::unique_ptr<Shared> shared_;
};

/// The SHA-256 of a whole file, computed on a thread of its own from
/// construction while the caller reads the file too (without a thread: when
/// asked for).
class FileSha256 {
public:
    /// Starts hashing the file at `path`.
    explicit FileSha256(std::string path);
    /// Joins the thread.
    ~FileSha256();
    FileSha256(const FileSha256&) = delete;
    FileSha256& operator=(const FileSha256&) = delete;
    /// The digest in hex, empty when the file cannot be read; waits for the
    /// thread, and raises here the exhausted memory it met.
    std::string hex();

private:
    std::string path_;
    std::string hex_;
    std::thread thread_;
    std::exception_ptr failure_;
    bool done_ = false;
};

/// The bytes of a report's head. Their SHA-256 is stored with each run: a
/// stored run whose head differs cannot be the report being judged, so its
/// whole SHA-256 is computed only when a head matches.
constexpr std::size_t HeadBytes = 64 * 1024;

/// The SHA-256 of the first HeadBytes bytes fed to it.
class HeadSha256 {
public:
    /// Adds bytes; those past HeadBytes are left out.
    void update(const char* data, std::size_t size);
    /// The digest in hex; ends the computation.
    std::string hex() { return sha_.hex(); }

private:
    Sha256 sha_;
    std::size_t fed_ = 0;
};

/// The first 12 hex digits of a digest: a run's default id.
inline std::string defaultRunId(const std::string& hexDigest)
{
    return hexDigest.substr(0, 12);
}

/// The SHA-256 of a whole file (`limit` 0) or of its first `limit` bytes;
/// false when it cannot be read.
bool sha256File(const std::string& path, std::string& hexDigest, std::string& error, std::size_t limit = 0);

} // namespace xrdtool::history
