// Runs of the installed quorvanel with a limited address space
// (setrlimit(RLIMIT_AS) in the child before exec), on a generated campaign
// whose trace is long enough for the lexing thread and whose tree is large
// enough for the huge arena blocks. Finds the smallest limit at which the
// dynamic loader starts the program and the smallest at which the run
// completes, then checks every limit in between in steps: each run ends with
// exit status 255 and the out-of-memory line once, or completes with the
// unlimited run's report; never a signal, never another status. At twice the
// completing limit the report is byte-identical to the unlimited run's.
//
// usage: qv_memlimit INSTALL_PREFIX GENERATOR WORK_DIR
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr rlim_t MiB = rlim_t(1) << 20;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// How one run ended.
struct Outcome {
    bool signalled = false;
    int code = 0; ///< exit status, or the signal
    std::string errors;
    std::string report;
};

std::string prefix, work;

/// Runs the program on the campaign with the address space limited to
/// `limit` bytes (0: unlimited).
Outcome run(rlim_t limit)
{
    const std::string xrd = work + "/run.xrd";
    const std::string err = work + "/run.err";
    std::remove(xrd.c_str());
    const std::string program = prefix + "/bin/quorvanel";
    std::vector<std::string> args = {program, "-ots"};
    for (const char* name : {"script_1.ots", "script_2.ots", "script_3.ots", "script_4.ots", "library.ots"})
        args.push_back(work + "/" + name);
    args.insert(args.end(), {"-tdf", work + "/campaign.tdf", "-xrd", xrd});
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        if (fd < 0 || null < 0 || dup2(fd, 2) < 0 || dup2(null, 1) < 0)
            _exit(120);
        if (limit) {
            const rlimit l{limit, limit};
            if (setrlimit(RLIMIT_AS, &l) != 0)
                _exit(121);
        }
        execv(program.c_str(), argv.data());
        _exit(122);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) {
        std::perror("waitpid");
        std::exit(2);
    }
    Outcome o;
    o.signalled = WIFSIGNALED(status);
    o.code = o.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    o.errors = readAll(err);
    o.report = readAll(xrd);
    return o;
}

/// The smallest limit in MiB in [low, high] for which `ok` holds, assuming
/// it holds from some limit on; high + 1 when it never does.
template <class Ok> rlim_t smallest(rlim_t low, rlim_t high, Ok ok)
{
    while (low < high) {
        const rlim_t mid = low + (high - low) / 2;
        if (ok(run(mid * MiB)))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

/// Count of non-overlapping occurrences.
size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

int failures = 0;
void fail(const std::string& what)
{
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: qv_memlimit INSTALL_PREFIX GENERATOR WORK_DIR\n");
        return 2;
    }
    prefix = argv[1];
    work = argv[3];
    setenv("KESTRELONDIR", prefix.c_str(), 1);
    unsetenv("KSTN_STUDIO_HEADER_FILE");
    // 30,000 elements: a trace of about 2.6 MB, past the lexing thread's threshold.
    const std::string generate = std::string(argv[2]) + " " + work + " 30000 >/dev/null";
    if (std::system(("mkdir -p " + work).c_str()) != 0 || std::system(generate.c_str()) != 0) {
        std::fprintf(stderr, "qv_memlimit: cannot generate the campaign\n");
        return 2;
    }

    const Outcome reference = run(0);
    if (reference.signalled || (reference.code != 0 && reference.code != 3) || reference.report.empty()) {
        std::printf("FAIL: the unlimited run ended with %d\n", reference.code);
        return 1;
    }
    auto completed = [&](const Outcome& o) { return !o.signalled && o.code == reference.code; };
    // The loader reports a segment it cannot map with status 127.
    auto started = [](const Outcome& o) { return o.signalled || o.code != 127; };
    const rlim_t loader = smallest(1, 4096, started);
    const rlim_t peak = smallest(loader, 4096, completed);
    std::printf("loader needs %llu MiB, the run completes from %llu MiB\n", (unsigned long long)loader,
                (unsigned long long)peak);
    if (peak > 4096)
        fail("the run never completed under a limit");

    const std::string message = "quorvanel - fatal: out of memory\n";
    int outOfMemory = 0;
    const rlim_t step = std::max<rlim_t>(1, (peak - loader) / 16);
    for (rlim_t mib = loader; mib <= peak; mib += step) {
        const Outcome o = run(mib * MiB);
        const std::string at = std::to_string(mib) + " MiB: ";
        if (o.signalled) {
            fail(at + "ended by signal " + std::to_string(o.code));
        } else if (o.code == 255) {
            ++outOfMemory;
            if (count(o.errors, message) != 1)
                fail(at + "status 255 without the message exactly once: " + o.errors);
        } else if (o.code == reference.code) {
            if (o.report != reference.report)
                fail(at + "completed with another report");
        } else {
            fail(at + "exit status " + std::to_string(o.code) + ": " + o.errors);
        }
    }
    if (outOfMemory == 0)
        fail("no limit between the loader's need and the peak ran out of memory");

    const Outcome ample = run(2 * peak * MiB);
    if (!completed(ample) || ample.report != reference.report)
        fail("at twice the completing limit the report differs from the unlimited run's");
    std::printf("%d runs out of memory, %s\n", outOfMemory, failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
