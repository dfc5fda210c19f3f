#pragma once
// The trace of the generated campaign: a simulated run over its elements.

#include "gen_common.h"

#include <string>
#include <vector>

namespace gen {

/// Simulates running the campaign and writes the trace.
class TraceWriter {
public:
    TraceWriter(const std::string& path, const std::vector<Elem>& elems, const Library& lib, Rng& rng)
        : out_(path), elems_(elems), lib_(lib), rng_(rng)
    {}

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
    void note(const std::string& text)
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
        const Elem& e = elems_[i];
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
                    note(std::string("ISO-8859-1\"\"temp\xE9rature ") + std::to_string(rng_.below(40)) +
                         " \xB0"
                         "C");
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
        default: break; // expressions are never reached
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
    const std::vector<Elem>& elems_;
    const Library& lib_;
    Rng& rng_;
    uint8_t current_ = 0xFF;
    uint8_t script_ = 0;
    uint64_t events_ = 0;
};

} // namespace gen
