#pragma once
// What the parts of the campaign generator share: the random numbers, the
// buffered output, the element kinds with their codes, the elements the trace
// simulation walks, and the word lists for names.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace gen {

/// splitmix64: small, fast, and the same sequence everywhere.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    /// 0 to n-1 (n > 0).
    uint32_t below(uint32_t n) { return uint32_t((next() >> 11) % n); }
    /// lo to hi inclusive.
    uint32_t range(uint32_t lo, uint32_t hi) { return lo + below(hi - lo + 1); }
    /// True with probability perMille / 1000.
    bool chance(uint32_t perMille) { return below(1000) < perMille; }

private:
    uint64_t state_;
};

/// Buffered output file; aborts the program on a write error.
class Out {
public:
    explicit Out(const std::string& path) : path_(path)
    {
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_) {
            std::fprintf(stderr, "qv_gen_campaign: cannot create %s\n", path.c_str());
            std::exit(1);
        }
        buf_.reserve(Block * 2);
    }
    ~Out()
    {
        flush();
        if (std::fclose(file_) != 0) {
            std::fprintf(stderr, "qv_gen_campaign: cannot write %s\n", path_.c_str());
            std::exit(1);
        }
    }
    Out& operator<<(const char* s)
    {
        buf_ += s;
        return maybeFlush();
    }
    Out& operator<<(const std::string& s)
    {
        buf_ += s;
        return maybeFlush();
    }
    Out& operator<<(char c)
    {
        buf_ += c;
        return maybeFlush();
    }
    /// Lower-case hexadecimal without prefix.
    Out& hex(uint32_t v)
    {
        char d[8];
        int n = 0;
        do {
            d[n++] = "0123456789abcdef"[v & 0xF];
            v >>= 4;
        } while (v);
        while (n)
            buf_ += d[--n];
        return maybeFlush();
    }
    Out& dec(uint64_t v)
    {
        buf_ += std::to_string(v);
        return maybeFlush();
    }

private:
    static constexpr size_t Block = 1 << 20;
    Out& maybeFlush()
    {
        if (buf_.size() >= Block)
            flush();
        return *this;
    }
    void flush()
    {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size()) {
            std::fprintf(stderr, "qv_gen_campaign: cannot write %s\n", path_.c_str());
            std::exit(1);
        }
        buf_.clear();
    }
    std::string path_;
    FILE* file_;
    std::string buf_;
};

// Element kinds the generator writes, with their record codes.
enum Kind : uint8_t {
    KPrologue,
    KEpilogue,
    KCheckExpression,
    KClass,
    KCheckMethod,
    KComment,
    KCheckStub,
    KCheckException,
    KCheckProperty,
    KPostCondition,
    KExpression,
    KInvariant,
    KProc,
    KPrint,
    KPreCondition,
    KStub,
    KSingleClass,
    KState,
    KTestCase,
    KTestClass,
    KTransition,
    KTestSuite,
    KMethodContract,
    KObservationState
};
inline const char* const Codes[] = {"CB", "CE", "CH", "CL", "CM", "CO", "CS", "CX", "CY", "EN", "EX", "IV",
                                    "PC", "PR", "RQ", "SB", "SL", "ST", "TC", "TL", "TR", "TS", "WR", "OS"};

constexpr uint32_t NoRef = 0xFFFFFFFFu;

/// One element as the trace simulation needs it; all files' elements are
/// kept in one vector, each file in pre-order.
struct Elem {
    uint32_t id;  ///< hexadecimal id within its file
    uint32_t end; ///< one past the last element of its subtree
    uint32_t ref; ///< index of the referenced library stub, or NoRef
    uint8_t kind;
    uint8_t file;
};

/// What the trace needs to know about the library file.
struct Library {
    uint8_t file = 0;
    std::vector<uint32_t> stubs, procs, classes;
};

// Word lists for names.
inline const char* const Nouns[] = {"Sensor", "Heater", "Cooler", "Valve",  "Pump",    "Display", "Clock",
                                    "Buffer", "Queue",  "Parser", "Logger", "Motor",   "Relay",   "Channel",
                                    "Filter", "Timer",  "Socket", "Cache",  "Battery", "Switch"};
inline const char* const Verbs[] = {"Heats",   "Cools",   "Rejects", "Keeps",  "Opens", "Closes",
                                    "Reads",   "Writes",  "Resets",  "Starts", "Stops", "Retries",
                                    "Flushes", "Accepts", "Limits",  "Reports"};
inline const char* const Conditions[] = {"WhenCold",     "WhenHot",    "OnPowerLoss", "AfterReset",
                                         "OnOverflow",   "WhenEmpty",  "WhenFull",    "OnTimeout",
                                         "WithDefaults", "InFaultMode"};
inline const char* const Vars[] = {"level",  "target", "offset", "count", "mode",
                                   "status", "index",  "limit",  "value", "rate"};
inline const char* const Methods[] = {"read", "write", "open", "close",   "size", "get",
                                      "set",  "reset", "isOn", "isEmpty", "peek", "level"};
inline const char* const States[] = {"Idle",     "Heating",  "Cooling",     "Fault",  "Standby",
                                     "Starting", "Stopping", "Calibrating", "Locked", "Ready"};

template <size_t N> const char* pick(Rng& r, const char* const (&words)[N])
{
    return words[r.below(uint32_t(N))];
}

} // namespace gen
