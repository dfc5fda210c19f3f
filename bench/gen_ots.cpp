#include "gen_ots.h"

namespace gen {

namespace {

/// A C++-like check expression, now and then with markup characters or
/// non-ASCII text, as real test scripts have.
std::string checkExpression(Rng& r)
{
    std::string s;
    switch (r.below(8)) {
    case 0: s = std::string(pick(r, Vars)) + " < " + std::to_string(r.below(1000)); break;
    case 1:
        s = std::string(pick(r, Vars)) + " >= " + std::to_string(r.below(50)) + " && " + pick(r, Vars) +
            " <= " + std::to_string(50 + r.below(50));
        break;
    case 2: s = std::string("buffer[") + std::to_string(r.below(64)) + "] != 0"; break;
    case 3: s = std::string("ptr != nullptr"); break;
    default:
        s = std::string(Nouns[r.below(20)]).append(".") + pick(r, Methods) + "(" +
            std::to_string(r.below(10)) + ") == " + std::to_string(r.below(100));
        break;
    }
    if (r.chance(10))
        s += " // temp\xC3\xA9rature \xC2\xB0"
             "C";
    return s;
}

/// A check of a test case or procedure with a verdict.
void addCheck(OtsWriter& w, Rng& r, uint32_t parent)
{
    const uint32_t k = r.below(100);
    const Kind kind = k < 70 ? KCheckExpression : k < 88 ? KCheckMethod : KCheckProperty;
    w.close(w.add(kind, checkExpression(r), parent));
}

} // namespace

void buildLibrary(OtsWriter& w, Rng& r, uint32_t budget, Library& lib)
{
    while (w.count() < budget) {
        const uint32_t what = r.below(100);
        if (what < 35) {
            // A stub with check-stub verdicts on its arguments.
            const uint32_t s = w.add(KStub,
                                     std::string("stub_") + Methods[r.below(12)] + "_" + Nouns[r.below(20)] +
                                         "_" + std::to_string(w.count()),
                                     NoRef);
            for (uint32_t i = r.range(1, 3); i > 0; --i)
                w.close(
                    w.add(KCheckStub, std::string(pick(r, Vars)) + " == " + std::to_string(r.below(16)), s));
            w.close(s);
            lib.stubs.push_back(s);
        } else if (what < 55) {
            const uint32_t p =
                w.add(KProc, std::string("expect") + Nouns[r.below(20)] + std::to_string(w.count()), NoRef);
            for (uint32_t i = r.range(2, 5); i > 0; --i)
                addCheck(w, r, p);
            w.close(p);
            lib.procs.push_back(p);
        } else {
            // A class under test with contracts, invariants and a state chart.
            const uint32_t c = w.add(r.chance(850) ? KClass : KSingleClass,
                                     std::string(Nouns[r.below(20)]) + Nouns[r.below(20)] + "Controller" +
                                         std::to_string(w.count()),
                                     NoRef);
            for (uint32_t i = r.range(1, 4); i > 0; --i) {
                const uint32_t m =
                    w.add(KMethodContract,
                          std::string(pick(r, Methods)) + "(" + (r.chance(500) ? "double" : "int") + ")", c);
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
                w.close(w.add(KTransition, std::string(pick(r, States)) + " -> " + pick(r, States), c));
            w.close(c);
            lib.classes.push_back(c);
        }
    }
}

namespace {

/// A test case with checks of every kind, as many as the shape says.
void addTestCase(OtsWriter& w, Rng& r, uint32_t parent, const Library& lib, const std::vector<Elem>& elems,
                 const ScriptShape& shape)
{
    const uint32_t tc =
        w.add(KTestCase, std::string(pick(r, Verbs)) + pick(r, Conditions) + "_" + std::to_string(w.count()),
              parent);
    for (uint32_t i = r.range(shape.minChecks, shape.maxChecks); i > 0; --i) {
        const uint32_t k = r.below(100);
        if (k < 62) {
            addCheck(w, r, tc);
        } else if (k < 70) {
            w.close(w.add(KComment, std::string("check the ") + pick(r, Vars) + " after " + pick(r, Methods),
                          tc));
        } else if (k < 78) {
            w.close(w.add(KPrint, std::string("\"") + pick(r, Vars) + " = \" << " + pick(r, Vars), tc));
        } else if (k < 83) {
            const uint32_t x =
                w.add(KCheckException, std::string(pick(r, Methods)) + "(-1) throws RangeError", tc);
            addCheck(w, r, x);
            w.close(x);
        } else if (k < 90 && !lib.stubs.empty()) {
            // A call of a library stub, with checks that the relinking moves under it.
            const uint32_t s = lib.stubs[r.below(uint32_t(lib.stubs.size()))];
            const uint32_t cs =
                w.add(KCheckStub, std::string("call ") + pick(r, Methods), tc, s, elems[s].id);
            addCheck(w, r, cs);
            if (r.chance(400))
                w.close(w.add(KPrint, std::string("\"stub arg \" << ") + pick(r, Vars), cs));
            w.close(cs);
        } else if (k < 92) {
            w.close(
                w.add(KExpression, std::string(pick(r, Vars)) + " = " + std::to_string(r.below(100)), tc));
        } else {
            addCheck(w, r, tc);
        }
    }
    w.close(tc);
}

} // namespace

void buildScript(OtsWriter& w, Rng& r, uint32_t budget, const Library& lib, const std::vector<Elem>& elems,
                 const ScriptShape& shape)
{
    while (w.count() < budget) {
        const uint32_t ts =
            w.add(KTestSuite, std::string(pick(r, Nouns)) + "Suite_" + std::to_string(w.count()), NoRef);
        if (r.chance(700)) {
            const uint32_t cb = w.add(KPrologue, "Setup", ts);
            for (uint32_t i = r.range(1, 2); i > 0; --i)
                addCheck(w, r, cb);
            w.close(cb);
        }
        for (uint32_t i = r.range(1, 4); i > 0 && w.count() < budget; --i) {
            const uint32_t tl = w.add(KTestClass, std::string(pick(r, Nouns)) + pick(r, Nouns) + "Tests", ts);
            for (uint32_t j = r.range(2, 8); j > 0 && w.count() < budget; --j)
                addTestCase(w, r, tl, lib, elems, shape);
            w.close(tl);
        }
        for (uint32_t i = r.below(3); i > 0 && w.count() < budget; --i)
            addTestCase(w, r, ts, lib, elems, shape);
        if (r.chance(500)) {
            const uint32_t ce = w.add(KEpilogue, "Teardown", ts);
            addCheck(w, r, ce);
            w.close(ce);
        }
        w.close(ts);
    }
}

} // namespace gen
