// Generates a synthetic but realistic test campaign for benchmarking: several
// OTS symbol files (test scripts, and one library of stubs, procedures and
// classes under test) and one TDF trace of a run over them.
//
// usage: qv_gen_campaign OUTDIR ELEMENTS [--seed N] [--scripts N] [--passes N]
//                        [--trace NAME] [--trace-only] [--density normal|dense]
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
// elements) writes the same OTS files. --density dense draws short test
// cases (1 to 4 checks instead of 3 to 10): about 0.23 results per element
// instead of 0.13, and 660 results per MB of report instead of 410; without
// it (or with "normal") the files are the same as they always were.
//
// This file holds the command line and the order of the steps; the OTS files
// are drawn by gen_ots, the trace simulated by gen_trace.h, both on the
// shared pieces of gen_common.h.

#include "gen_ots.h"
#include "gen_trace.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace gen;

namespace {

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: qv_gen_campaign OUTDIR ELEMENTS [--seed N] [--scripts N] "
                 "[--passes N] [--trace NAME] [--trace-only] [--density normal|dense]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
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
    ScriptShape shape;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--trace-only") {
            traceOnly = true;
            continue;
        }
        if (i + 1 >= argc)
            usage();
        const char* v = argv[++i];
        if (a == "--seed")
            seed = std::strtoull(v, nullptr, 10);
        else if (a == "--scripts")
            scripts = uint32_t(std::atoi(v));
        else if (a == "--passes")
            passes = uint32_t(std::atoi(v));
        else if (a == "--trace")
            traceName = v;
        else if (a == "--density" && std::string(v) == "dense")
            shape = ScriptShape{1, 4};
        else if (a == "--density" && std::string(v) == "normal")
            shape = ScriptShape();
        else
            usage();
    }
    if (scripts < 1 || scripts > 200 || passes < 1)
        usage();

    // OTS files go to /dev/null when only the trace is wanted: the elements
    // must still be drawn to keep the trace the same.
    auto otsPath = [&](const std::string& name) {
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
        buildScript(w, rng, scriptBudget, lib, elems, shape);
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
    std::printf("elements=%zu events=%llu files=%u\n", elems.size(), static_cast<unsigned long long>(events),
                scripts + 1);
    return 0;
}
