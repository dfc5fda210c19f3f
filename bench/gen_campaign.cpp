// Generates a synthetic but realistic test campaign for benchmarking: several
// OTS symbol files (test scripts, and one library of stubs, procedures and
// classes under test) and one TDF trace of a run over them.
//
// usage: qv_gen_campaign OUTDIR ELEMENTS [--seed N] [--scripts N] [--passes N]
//                        [--trace NAME] [--trace-only]
//
// Writes OUTDIR/script_1.ots .. script_N.ots, OUTDIR/library.ots (to be given
// last on the command line) and OUTDIR/NAME (default campaign.tdf), and prints
// one line "elements=E events=V files=F" on standard output.
//
// Everything is deterministic for a seed: the PRNG is splitmix64 and every
// draw is made with plain integer arithmetic, so the same bytes come out with
// any compiler and standard library. The OTS files depend only on the seed and
// the sizes; the trace has its own PRNG stream, so --passes N (the whole
// campaign run N times in a row: a trace N times longer over the same
// elements) writes the same OTS files.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

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
    explicit Out(const std::string &path) : path_(path)
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
    Out &operator<<(const char *s)
    {
        buf_ += s;
        return maybeFlush();
    }
    Out &operator<<(const std::string &s)
    {
        buf_ += s;
        return maybeFlush();
    }
    Out &operator<<(char c)
    {
        buf_ += c;
        return maybeFlush();
    }
    /// Lower-case hexadecimal without prefix.
    Out &hex(uint32_t v)
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
    Out &dec(uint64_t v)
    {
        buf_ += std::to_string(v);
        return maybeFlush();
    }

private:
    static constexpr size_t Block = 1 << 20;
    Out &maybeFlush()
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
    FILE *file_;
    std::string buf_;
};

// Element kinds the generator writes, with their record codes.
enum Kind : uint8_t {
    KPrologue, KEpilogue, KCheckExpression, KClass, KCheckMethod, KComment, KCheckStub,
    KCheckException, KCheckProperty, KPostCondition, KExpression, KInvariant, KProc, KPrint,
    KPreCondition, KStub, KSingleClass, KState, KTestCase, KTestClass, KTransition, KTestSuite,
    KMethodContract, KObservationState
};
const char *const Codes[] = {"CB", "CE", "CH", "CL", "CM", "CO", "CS", "CX", "CY", "EN", "EX", "IV",
                             "PC", "PR", "RQ", "SB", "SL", "ST", "TC", "TL", "TR", "TS", "WR", "OS"};

constexpr uint32_t NoRef = 0xFFFFFFFFu;

/// One element as the trace simulation needs it; all files' elements are
/// kept in one vector, each file in pre-order.
struct Elem {
    uint32_t id;   ///< hexadecimal id within its file
    uint32_t end;  ///< one past the last element of its subtree
    uint32_t ref;  ///< index of the referenced library stub, or NoRef
    uint8_t kind;
    uint8_t file;
};

// Word lists for names.
const char *const Nouns[] = {"Sensor", "Heater", "Cooler", "Valve", "Pump", "Display", "Clock",
                             "Buffer", "Queue", "Parser", "Logger", "Motor", "Relay", "Channel",
                             "Filter", "Timer", "Socket", "Cache", "Battery", "Switch"};
const char *const Verbs[] = {"Heats", "Cools", "Rejects", "Keeps", "Opens", "Closes", "Reads",
                             "Writes", "Resets", "Starts", "Stops", "Retries", "Flushes",
                             "Accepts", "Limits", "Reports"};
const char *const Conditions[] = {"WhenCold", "WhenHot", "OnPowerLoss", "AfterReset",
                                  "OnOverflow", "WhenEmpty", "WhenFull", "OnTimeout",
                                  "WithDefaults", "InFaultMode"};
const char *const Vars[] = {"level", "target", "offset", "count", "mode", "status", "index",
                            "limit", "value", "rate"};
const char *const Methods[] = {"read", "write", "open", "close", "size", "get", "set", "reset",
                               "isOn", "isEmpty", "peek", "level"};
const char *const States[] = {"Idle", "Heating", "Cooling", "Fault", "Standby", "Starting",
                              "Stopping", "Calibrating", "Locked", "Ready"};

template <size_t N> const char *pick(Rng &r, const char *const (&words)[N])
{
    return words[r.below(uint32_t(N))];
}

/// A C++-like check expression, now and then with markup characters or
/// non-ASCII text, as real test scripts have.
std::string checkExpression(Rng &r)
{
    std::string s;
    switch (r.below(8)) {
    case 0:
        s = std::string(pick(r, Vars)) + " < " + std::to_string(r.below(1000));
        break;
    case 1:
        s = std::string(pick(r, Vars)) + " >= " + std::to_string(r.below(50)) + " && " +
            pick(r, Vars) + " <= " + std::to_string(50 + r.below(50));
        break;
    case 2:
        s = std::string("buffer[") + std::to_string(r.below(64)) + "] != 0";
        break;
    case 3:
        s = std::string("ptr != nullptr");
        break;
    default:
        s = std::string(Nouns[r.below(20)]).append(".") + pick(r, Methods) + "(" +
            std::to_string(r.below(10)) + ") == " + std::to_string(r.below(100));
        break;
    }
    if (r.chance(10))
        s += " // temp\xC3\xA9rature \xC2\xB0" "C";
    return s;
}

/// Writes OTS records of one file and records its elements for the trace.
class OtsWriter {
public:
    OtsWriter(const std::string &path, uint8_t file, std::vector<Elem> &elems, Rng &rng)
        : out_(path), file_(file), elems_(elems), rng_(rng)
    {
    }

    void header(const std::string &sourceName, uint32_t ck1, uint32_t ck2)
    {
        out_ << "VO Kestrel Test Compiler 8.3.0.1\n";
        out_ << "DP Wed Mar 19 14:22:05 2025\n";
        out_ << "CK ";
        out_.hex(ck1) << ' ';
        out_.hex(ck2) << '\n';
        out_ << "OF \"tests/\" \"" << sourceName << "\" 0\n";
    }

    /// Writes one element record under the element `parent` (an index into
    /// the vector, or NoRef for the file's root) and returns its index.
    uint32_t add(Kind kind, const std::string &name, uint32_t parent, uint32_t ref = NoRef,
                 uint32_t refId = 0)
    {
        const uint32_t id = nextId_++;
        line_ += 1 + rng_.below(3);
        out_ << Codes[kind] << ' ';
        out_.hex(id) << " \"";
        for (const char c : name) {
            if (c == '"' || c == '\\')
                out_ << '\\';
            out_ << c;
        }
        out_ << "\" line=";
        out_.dec(line_) << " p=";
        out_.hex(parent == NoRef ? 1 : elems_[parent].id) << ';';
        if (ref != NoRef) {
            out_ << " r=";
            out_.hex(refId) << ';';
        }
        out_ << '\n';
        elems_.push_back({id, 0, ref, uint8_t(kind), file_});
        return uint32_t(elems_.size() - 1);
    }

    /// Closes the subtree of an element: everything added since is beneath it.
    void close(uint32_t index) { elems_[index].end = uint32_t(elems_.size()); }

    /// Elements added to this file so far.
    uint32_t count() const { return nextId_ - 2; }

private:
    Out out_;
    uint8_t file_;
    std::vector<Elem> &elems_;
    Rng &rng_;
    uint32_t nextId_ = 2; // the root has id 1
    uint32_t line_ = 0;
};

/// What the trace needs to know about the library file.
struct Library {
    uint8_t file = 0;
    std::vector<uint32_t> stubs, procs, classes;
};

/// A check of a test case or procedure with a verdict.
void addCheck(OtsWriter &w, Rng &r, uint32_t parent)
{
    const uint32_t k = r.below(100);
    const Kind kind = k < 70 ? KCheckExpression : k < 88 ? KCheckMethod : KCheckProperty;
    w.close(w.add(kind, checkExpression(r), parent));
}

void buildLibrary(OtsWriter &w, Rng &r, uint32_t budget, Library &lib)
{
    while (w.count() < budget) {
        const uint32_t what = r.below(100);
        if (what < 35) {
            // A stub with check-stub verdicts on its arguments.
            const uint32_t s = w.add(KStub, std::string("stub_") + Methods[r.below(12)] + "_" +
                                                 Nouns[r.below(20)] + "_" + std::to_string(w.count()),
                                     NoRef);
            for (uint32_t i = r.range(1, 3); i > 0; --i)
                w.close(w.add(KCheckStub, std::string(pick(r, Vars)) + " == " +
                                              std::to_string(r.below(16)),
                              s));
            w.close(s);
            lib.stubs.push_back(s);
        } else if (what < 55) {
            const uint32_t p = w.add(KProc, std::string("expect") + Nouns[r.below(20)] +
                                                std::to_string(w.count()),
                                     NoRef);
            for (uint32_t i = r.range(2, 5); i > 0; --i)
                addCheck(w, r, p);
            w.close(p);
            lib.procs.push_back(p);
        } else {
            // A class under test with contracts, invariants and a state chart.
            const uint32_t c = w.add(r.chance(850) ? KClass : KSingleClass,
                                     std::string(Nouns[r.below(20)]) + Nouns[r.below(20)] +
                                         "Controller" + std::to_string(w.count()),
                                     NoRef);
            for (uint32_t i = r.range(1, 4); i > 0; --i) {
                const uint32_t m = w.add(KMethodContract, std::string(pick(r, Methods)) + "(" +
                                                              (r.chance(500) ? "double" : "int") + ")",
                                         c);
                for (uint32_t j = r.range(1, 2); j > 0; --j)
                    w.close(w.add(KPreCondition, std::string(pick(r, Vars)) + " >= 0", m));
                for (uint32_t j = r.range(1, 2); j > 0; --j)
                    w.close(w.add(KPostCondition, checkExpression(r), m));
                w.close(m);
            }
            for (uint32_t i = r.below(4); i > 0; --i)
                w.close(w.add(KInvariant, std::string(pick(r, Vars)) + " <= " + pick(r, Vars), c));
            const uint32_t states = r.below(6);
            for (uint32_t i = 0; i < states; ++i)
                w.close(w.add(KState, States[(i * 3 + r.below(3)) % 10], c));
            if (states && r.chance(200))
                w.close(w.add(KObservationState, "PowerSave", c));
            for (uint32_t i = states ? r.range(1, 2 * states) : 0; i > 0; --i)
                w.close(w.add(KTransition, std::string(pick(r, States)) + " -> " + pick(r, States),
                              c));
            w.close(c);
            lib.classes.push_back(c);
        }
    }
}

/// A test case with 3 to 10 checks of every kind.
void addTestCase(OtsWriter &w, Rng &r, uint32_t parent, const Library &lib,
                 const std::vector<Elem> &elems)
{
    const uint32_t tc = w.add(KTestCase, std::string(pick(r, Verbs)) + pick(r, Conditions) + "_" +
                                             std::to_string(w.count()),
                              parent);
    for (uint32_t i = r.range(3, 10); i > 0; --i) {
        const uint32_t k = r.below(100);
        if (k < 62) {
            addCheck(w, r, tc);
        } else if (k < 70) {
            w.close(w.add(KComment, std::string("check the ") + pick(r, Vars) + " after " +
                                        pick(r, Methods),
                          tc));
        } else if (k < 78) {
            w.close(w.add(KPrint, std::string("\"") + pick(r, Vars) + " = \" << " + pick(r, Vars),
                          tc));
        } else if (k < 83) {
            const uint32_t x = w.add(KCheckException,
                                     std::string(pick(r, Methods)) + "(-1) throws RangeError", tc);
            addCheck(w, r, x);
            w.close(x);
        } else if (k < 90 && !lib.stubs.empty()) {
            // A call of a library stub, with checks that the relinking moves under it.
            const uint32_t s = lib.stubs[r.below(uint32_t(lib.stubs.size()))];
            const uint32_t cs = w.add(KCheckStub, std::string("call ") + pick(r, Methods), tc, s,
                                      elems[s].id);
            addCheck(w, r, cs);
            if (r.chance(400))
                w.close(w.add(KPrint, std::string("\"stub arg \" << ") + pick(r, Vars), cs));
            w.close(cs);
        } else if (k < 92) {
            w.close(w.add(KExpression, std::string(pick(r, Vars)) + " = " +
                                           std::to_string(r.below(100)),
                          tc));
        } else {
            addCheck(w, r, tc);
        }
    }
    w.close(tc);
}

void buildScript(OtsWriter &w, Rng &r, uint32_t budget, const Library &lib,
                 const std::vector<Elem> &elems)
{
    while (w.count() < budget) {
        const uint32_t ts = w.add(KTestSuite, std::string(pick(r, Nouns)) + "Suite_" +
                                                  std::to_string(w.count()),
                                  NoRef);
        if (r.chance(700)) {
            const uint32_t cb = w.add(KPrologue, "Setup", ts);
            for (uint32_t i = r.range(1, 2); i > 0; --i)
                addCheck(w, r, cb);
            w.close(cb);
        }
        for (uint32_t i = r.range(1, 4); i > 0 && w.count() < budget; --i) {
            const uint32_t tl = w.add(KTestClass, std::string(pick(r, Nouns)) + pick(r, Nouns) +
                                                      "Tests",
                                      ts);
            for (uint32_t j = r.range(2, 8); j > 0 && w.count() < budget; --j)
                addTestCase(w, r, tl, lib, elems);
            w.close(tl);
        }
        for (uint32_t i = r.below(3); i > 0 && w.count() < budget; --i)
            addTestCase(w, r, ts, lib, elems);
        if (r.chance(500)) {
            const uint32_t ce = w.add(KEpilogue, "Teardown", ts);
            addCheck(w, r, ce);
            w.close(ce);
        }
        w.close(ts);
    }
}

/// Simulates running the campaign and writes the trace.
class TraceWriter {
public:
    TraceWriter(const std::string &path, const std::vector<Elem> &elems, const Library &lib,
                Rng &rng)
        : out_(path), elems_(elems), lib_(lib), rng_(rng)
    {
    }

    void bind(uint8_t file, uint32_t ck1, uint32_t ck2)
    {
        out_ << "SF ";
        out_.hex(file + 1u) << ' ';
        out_.hex(ck1) << ' ';
        out_.hex(ck2) << '\n';
        ++events_;
        current_ = file;
    }

    /// Runs the top-level elements of one script file, [begin, end).
    void runScript(uint8_t file, uint32_t begin, uint32_t end)
    {
        script_ = file;
        switchTo(file);
        for (uint32_t i = begin; i < end; i = elems_[i].end)
            run(i);
    }

    uint64_t events() const { return events_; }

private:
    void switchTo(uint8_t file)
    {
        if (current_ == file)
            return;
        out_ << "CS ";
        out_.hex(file + 1u) << '\n';
        ++events_;
        current_ = file;
    }
    void hit(uint32_t i)
    {
        out_ << "OT ";
        out_.hex(elems_[i].id) << '\n';
        ++events_;
    }
    void verdict(uint32_t i, int v)
    {
        out_ << "OT ";
        out_.hex(elems_[i].id) << ' ' << char('0' + v) << '\n';
        ++events_;
    }
    /// A check: mostly passes, now and then fails.
    void check(uint32_t i) { verdict(i, rng_.chance(2) ? 0 : 1); }
    void note(const std::string &text)
    {
        out_ << "NO \"" << text << "\"\n";
        ++events_;
    }
    /// How often a check runs: once, or in a loop of 2 to 20 rounds.
    uint32_t rounds() { return rng_.chance(350) ? 1 : rng_.range(2, 20); }
    void children(uint32_t i)
    {
        for (uint32_t c = i + 1; c < elems_[i].end; c = elems_[c].end)
            run(c);
    }

    void run(uint32_t i)
    {
        const Elem &e = elems_[i];
        switch (e.kind) {
        case KTestSuite:
        case KTestClass:
        case KPrologue:
        case KEpilogue:
            hit(i);
            children(i);
            break;
        case KTestCase:
            if (rng_.chance(30))
                break; // not executed in this run
            hit(i);
            if (!lib_.procs.empty() && rng_.chance(200))
                callProc(lib_.procs[rng_.below(uint32_t(lib_.procs.size()))]);
            if (!lib_.classes.empty() && rng_.chance(500))
                useClass(lib_.classes[rng_.below(uint32_t(lib_.classes.size()))]);
            children(i);
            break;
        case KCheckExpression:
        case KCheckMethod:
        case KCheckProperty:
            if (rng_.chance(15))
                break; // never reached
            for (uint32_t n = rounds(); n > 0; --n) {
                hit(i);
                check(i);
            }
            break;
        case KCheckException:
            hit(i);
            children(i);
            verdict(i, rng_.chance(10) ? 0 : 1);
            break;
        case KComment:
            if (rng_.chance(300))
                note(std::string("reached with ") + pick(rng_, Vars) + "=" +
                     std::to_string(rng_.below(1000)));
            hit(i);
            break;
        case KPrint:
            for (uint32_t n = rng_.range(1, 3); n > 0; --n) {
                if (rng_.chance(3))
                    note(std::string("ISO-8859-1\"\"temp\xE9rature ") +
                         std::to_string(rng_.below(40)) + " \xB0" "C");
                else
                    note(std::string(pick(rng_, Vars)) + " = " + std::to_string(rng_.below(100000)) +
                         (rng_.chance(100) ? "\\tunit <ms> & \\\"raw\\\"" : ""));
                hit(i);
            }
            break;
        case KCheckStub:
            for (uint32_t n = rng_.range(1, 3); n > 0; --n) {
                hit(i);
                if (e.ref != NoRef)
                    callStub(e.ref);
                children(i);
                verdict(i, 1);
            }
            break;
        default:
            break; // expressions are never reached
        }
    }

    void callStub(uint32_t s)
    {
        switchTo(lib_.file);
        hit(s);
        for (uint32_t c = s + 1; c < elems_[s].end; c = elems_[c].end) {
            hit(c);
            check(c);
        }
        switchTo(script_);
    }

    void callProc(uint32_t p)
    {
        switchTo(lib_.file);
        hit(p);
        for (uint32_t c = p + 1; c < elems_[p].end; c = elems_[c].end)
            for (uint32_t n = rounds(); n > 0; --n) {
                hit(c);
                check(c);
            }
        switchTo(script_);
    }

    /// Calls one method of a class with its contract checks, checks the
    /// invariants and moves the state chart one step.
    void useClass(uint32_t c)
    {
        switchTo(lib_.file);
        std::vector<uint32_t> contracts, states, transitions;
        for (uint32_t m = c + 1; m < elems_[c].end; m = elems_[m].end) {
            switch (elems_[m].kind) {
            case KMethodContract: contracts.push_back(m); break;
            case KState: states.push_back(m); break;
            case KTransition: transitions.push_back(m); break;
            case KInvariant:
                hit(m);
                check(m);
                break;
            default: break;
            }
        }
        if (!contracts.empty()) {
            const uint32_t m = contracts[rng_.below(uint32_t(contracts.size()))];
            hit(m);
            for (uint32_t k = m + 1; k < elems_[m].end; k = elems_[k].end) {
                hit(k);
                check(k);
            }
        }
        if (!states.empty()) {
            const uint32_t s = states[rng_.below(uint32_t(states.size()))];
            hit(s);
            if (rng_.chance(3))
                verdict(s, rng_.chance(500) ? 2 : 3); // illegal or multiple exit
        }
        if (!transitions.empty())
            hit(transitions[rng_.below(uint32_t(transitions.size()))]);
        switchTo(script_);
    }

    Out out_;
    const std::vector<Elem> &elems_;
    const Library &lib_;
    Rng &rng_;
    uint8_t current_ = 0xFF;
    uint8_t script_ = 0;
    uint64_t events_ = 0;
};

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: qv_gen_campaign OUTDIR ELEMENTS [--seed N] [--scripts N] "
                         "[--passes N] [--trace NAME] [--trace-only]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        usage();
    const std::string dir = argv[1];
    const long long total = std::atoll(argv[2]);
    if (total < 100)
        usage();
    uint64_t seed = 20250319;
    uint32_t scripts = 4;
    uint32_t passes = 1;
    std::string traceName = "campaign.tdf";
    bool traceOnly = false;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--trace-only") {
            traceOnly = true;
            continue;
        }
        if (i + 1 >= argc)
            usage();
        const char *v = argv[++i];
        if (a == "--seed")
            seed = std::strtoull(v, nullptr, 10);
        else if (a == "--scripts")
            scripts = uint32_t(std::atoi(v));
        else if (a == "--passes")
            passes = uint32_t(std::atoi(v));
        else if (a == "--trace")
            traceName = v;
        else
            usage();
    }
    if (scripts < 1 || scripts > 200 || passes < 1)
        usage();

    // OTS files go to /dev/null when only the trace is wanted: the elements
    // must still be drawn to keep the trace the same.
    auto otsPath = [&](const std::string &name) {
        return traceOnly ? std::string("/dev/null") : dir + "/" + name;
    };

    Rng rng(seed);
    const uint8_t libFile = uint8_t(scripts);
    std::vector<uint32_t> ck1(scripts + 1), ck2(scripts + 1);
    for (uint32_t f = 0; f <= scripts; ++f) {
        // Over the whole 32-bit range, as the test compiler writes them.
        ck1[f] = uint32_t(rng.next());
        ck2[f] = uint32_t(rng.next());
    }

    std::vector<Elem> elems;
    elems.reserve(size_t(total) + size_t(total) / 10 + 1000);
    const uint32_t libBudget = uint32_t(total / 5);
    const uint32_t scriptBudget = uint32_t((total - libBudget) / scripts);

    // The library is drawn first (scripts refer to its stubs) but written as
    // the last OTS file, so that its stubs are found first by the relinking.
    Library lib;
    lib.file = libFile;
    std::vector<std::pair<uint32_t, uint32_t>> scriptRanges;
    {
        OtsWriter w(otsPath("library.ots"), libFile, elems, rng);
        w.header("library.kts", ck1[libFile], ck2[libFile]);
        buildLibrary(w, rng, libBudget, lib);
    }
    for (uint32_t f = 0; f < scripts; ++f) {
        const std::string name = "script_" + std::to_string(f + 1);
        const uint32_t begin = uint32_t(elems.size());
        OtsWriter w(otsPath(name + ".ots"), uint8_t(f), elems, rng);
        w.header(name + ".kts", ck1[f], ck2[f]);
        buildScript(w, rng, scriptBudget, lib, elems);
        scriptRanges.emplace_back(begin, uint32_t(elems.size()));
    }

    Rng traceRng(seed ^ 0x5DEECE66Dull);
    uint64_t events = 0;
    {
        TraceWriter t(dir + "/" + traceName, elems, lib, traceRng);
        for (uint32_t f = 0; f <= scripts; ++f)
            t.bind(uint8_t(f), ck1[f], ck2[f]);
        for (uint32_t p = 0; p < passes; ++p)
            for (uint32_t f = 0; f < scripts; ++f)
                t.runScript(uint8_t(f), scriptRanges[f].first, scriptRanges[f].second);
        events = t.events();
    }
    std::printf("elements=%zu events=%llu files=%u\n", elems.size(),
                static_cast<unsigned long long>(events), scripts + 1);
    return 0;
}
