// Whole-line reading of the OTS and TDF readers: for any input, reading a
// record from its buffered line must leave exactly the tree that reading it
// byte by byte leaves, also where lines cross the boundary of the file buffer.
#include "model/evaluation.h"
#include "model/kinds.h"
#include "model/tree.h"
#include "readers/linecursor.h"
#include "readers/otsfile.h"
#include "readers/tdffile.h"
#include "readers/tokens.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

using namespace std::string_literals;

namespace qv {
namespace {

const std::string NameEnd = "\" line=";

/// Everything the readers can leave in a tree, as text: every node of every
/// file in pre-order with its fields, counters and trace texts, every file
/// entry, and the compiler texts.
std::string dump(const TestTree& tree, const OtsGlobals& globals)
{
    std::ostringstream out;
    std::vector<uint64_t> refs;
    std::string scratch;
    for (int n = 0; n < tree.entryCount(); ++n) {
        const OtsFileEntry& e = tree.entry(n);
        out << "entry " << e.fileIndex << ' ' << e.tdfFileId << ' ' << e.sourceValue << ' ' << e.checksum1
            << ' ' << e.checksum2 << " [" << e.sourceDirectory.value_or("-") << "] ["
            << e.sourceFileName.value_or("-") << "]\n";
        std::vector<const TestNode*> stack;
        if (e.root)
            stack.push_back(e.root);
        while (!stack.empty()) {
            const TestNode* node = stack.back();
            stack.pop_back();
            out << int(node->kind) << ' ' << node->fileIndex << ' ' << node->id << ' ' << node->refId << " ["
                << node->name() << "] " << node->line << ' ' << int(node->status) << ' '
                << (node->parent ? node->parent->id : 0);
            if (const VerdictCounters* v = node->verdict())
                out << " v" << v->hits << '/' << v->passed << '/' << v->failed << '/' << v->illegalExits
                    << '/' << v->multipleExits;
            tree.traceTexts().collect(node->lastText, refs);
            for (const uint64_t ref : refs)
                out << " text[" << tree.traceTexts().text(ref, scratch) << ']';
            out << '\n';
            std::vector<const TestNode*> children;
            for (const TestNode* c = node->firstChild; c; c = c->nextSibling)
                children.push_back(c);
            stack.insert(stack.end(), children.rbegin(), children.rend());
        }
    }
    out << "version [" << globals.testCompilerVersion.value_or("-") << "] time ["
        << globals.testCompilationTime.value_or("-") << "]\n";
    return out.str();
}

/// Reads OTS texts (file index = position) and then a trace, all from
/// memory, by whole lines or byte by byte; returns the dump.
std::string readAll(const std::vector<std::string>& ots, const std::string& tdf, bool byLines,
                    bool concurrent = false)
{
    TestTree tree;
    tree.initTree();
    OtsGlobals globals;
    for (size_t i = 0; i < ots.size(); ++i) {
        InStream in;
        in.openMemory(ots[i]);
        in.showLines(byLines);
        EXPECT_TRUE(detail::readOtsStream(tree, globals, in, "dir/f" + std::to_string(i) + ".ots", int(i)));
    }
    InStream in;
    in.openMemory(tdf);
    in.showLines(byLines);
    EXPECT_TRUE(detail::readTdfStream(tree, in, concurrent));
    return dump(tree, globals);
}

/// Keeps the error stream quiet while refused numbers are printed.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved_ = dup(2);
        std::FILE* null = std::fopen("/dev/null", "w");
        dup2(fileno(null), 2);
        std::fclose(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
    }

private:
    int saved_;
};

/// Random OTS and TDF texts: mostly well-formed records, with every kind of
/// damage the byte readers give a meaning to (missing or doubled blanks,
/// quotes, backslashes, NULs, carriage returns, lines run together, text
/// after the last ";", over-long names, unknown codes).
class Garbler {
public:
    explicit Garbler(unsigned seed) : rng_(seed) {}

    std::string ots(int lines)
    {
        std::string s;
        static const char* const codes[] = {"TS", "TC", "CH", "CO", "PR", "CS", "SB", "CL",
                                            "ST", "TR", "WR", "RQ", "IV", "CX", "PC", "OS"};
        for (int i = 0; i < lines; ++i) {
            std::string line;
            const int what = pick(100);
            if (what < 4) {
                line = "CK " + hex() + " " + hex();
            } else if (what < 6) {
                line = "OF \"dir\\" + word() + "/\" \"" + word() + ".kts\" " + hex();
            } else if (what < 8) {
                line = (pick(2) ? "VO " : "DP ") + word();
            } else if (what < 10) {
                line = pick(2) ? "ZZ junk line" : "NC";
            } else {
                const uint32_t id = next_++;
                line = std::string(codes[pick(16)]) + " " + toHex(id) + " \"" + name() +
                    "\" line=" + std::to_string(pick(5000)) + " p=" + toHex(parent(id)) + ";";
                if (pick(5) == 0)
                    line += " r=" + toHex(1 + pick(id)) + ";";
                if (pick(30) == 0)
                    line += pick(2) ? " tail" : "x";
            }
            s += damage(line) + lineEnd();
        }
        if (pick(4) == 0 && !s.empty())
            s.pop_back(); // no final line end
        return s;
    }

    std::string tdf(int lines, int files)
    {
        std::string s;
        for (int i = 0; i < lines; ++i) {
            std::string line;
            const int what = pick(100);
            if (what < 3)
                line = "SF " + std::to_string(1 + pick(files + 1)) + " " + hex() + " " + hex();
            else if (what < 8)
                line = "CS " + std::to_string(1 + pick(files + 1));
            else if (what < 16)
                line = "NO \"" + word() + (pick(3) ? "" : "\\t\\\"q\\\"") + "\"";
            else if (what < 55)
                line = "OT " + toHex(1 + pick(next_));
            else if (what < 95)
                line = "OT " + toHex(1 + pick(next_)) + " " + std::to_string(pick(6));
            else
                line = pick(2) ? "OT " + toHex(pick(0xFFFF)) + "h" : "XX 1 2";
            s += damage(line) + lineEnd();
        }
        return s;
    }

    /// Sets the id range the trace names (the elements of the OTS texts).
    void elementsUpTo(uint32_t last) { next_ = last; }
    uint32_t elements() const { return next_; }

private:
    int pick(int n) { return int(rng_() % unsigned(n)); }
    std::string toHex(uint32_t v)
    {
        char b[16];
        std::snprintf(b, sizeof b, pick(2) ? "%x" : "%X", v);
        return b;
    }
    std::string hex() { return toHex(uint32_t(rng_())); }
    uint32_t parent(uint32_t id) { return pick(6) == 0 ? 1 : 1 + uint32_t(pick(int(id - 1))); }
    std::string word()
    {
        std::string w;
        for (int n = 1 + pick(12); n > 0; --n)
            w += char('a' + pick(26));
        return w;
    }
    std::string name()
    {
        switch (pick(12)) {
        case 0: return word() + "\\\"" + word();          // escaped quote
        case 1: return word() + "\\\\" + word();          // escaped backslash
        case 2: return word() + "\" lin" + word();        // a broken terminator
        case 3: return std::string(1990 + pick(20), 'n'); // at the length limit
        case 4: return "a < b && c > \xC3\xA9";
        default: return word() + " " + word();
        }
    }
    std::string lineEnd()
    {
        const int k = pick(20);
        return k == 0 ? "\r\n" : k == 1 ? "\r\r\n" : k == 2 ? "\n\n" : "\n";
    }
    std::string damage(std::string line)
    {
        if (pick(6) != 0)
            return line;
        static const char specials[] = " \"\\;=\r\n\0hx1";
        const size_t at = line.empty() ? 0 : size_t(pick(int(line.size())));
        switch (pick(4)) {
        case 0:
            if (!line.empty())
                line.erase(at, 1);
            break;
        case 1: line.insert(at, 1, specials[pick(int(sizeof specials - 1))]); break;
        case 2: line.insert(at, 1, ' '); break;
        default:
            if (!line.empty())
                line.insert(at, 1, line[at]);
            break;
        }
        return line;
    }

    std::mt19937 rng_;
    uint32_t next_ = 2;
};

/// Two garbled OTS files of the seed; the trace garbler `g` then uses their
/// element ids (and their checksum pairs, so that "SF" records can bind).
std::vector<std::string> garbledFiles(Garbler& g, unsigned seed, int lines)
{
    std::vector<std::string> ots;
    uint32_t most = 2;
    for (int f = 0; f < 2; ++f) {
        Garbler file(seed * 7 + unsigned(f));
        ots.push_back(file.ots(lines));
        most = std::max(most, file.elements());
    }
    g.elementsUpTo(most);
    return ots;
}

TEST(LineReading, SameTreesAsByteReadingForGarbledInput)
{
    QuietStderr quiet;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        Garbler g(seed);
        const std::vector<std::string> ots = garbledFiles(g, seed, 60);
        const std::string tdf = "SF 1 0 0\nCS 1\n" + g.tdf(200, 2);
        ASSERT_EQ(readAll(ots, tdf, true), readAll(ots, tdf, false)) << "seed " << seed;
    }
}

TEST(LineReading, ConcurrentReadingGivesTheSameTree)
{
    // Traces many batches long (thousands of records, megabytes of texts), so
    // that texts left pending, bindings and runs of events cross the points
    // where the lexing thread hands a batch on.
    QuietStderr quiet;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        Garbler g(seed);
        const std::vector<std::string> ots = garbledFiles(g, seed, 3000);
        std::string tdf = "SF 1 0 0\nCS 1\n";
        for (int part = 0; part < 40; ++part) {
            tdf += g.tdf(500, 2);
            if (part % 13 == 5) // a text longer than a batch's text room
                tdf += "NO \"" + std::string(1200 * 1024 + part, 't') + "\"\n";
        }
        const std::string expected = readAll(ots, tdf, true);
        ASSERT_TRUE(readAll(ots, tdf, true, true) == expected) << "seed " << seed;
        ASSERT_TRUE(readAll(ots, tdf, false, true) == expected) << "seed " << seed;
    }
}

TEST(LineReading, TypicalRecordsAreReadWhole)
{
    // The records of a well-formed campaign, including a reference and a name
    // with an escaped quote, give the expected tree by either way of reading.
    const std::vector<std::string> ots = {"CK 10 20\n"
                                          "TS 2 \"Suite\" line=1 p=1;\n"
                                          "TC 3 \"Case \\\"one\\\"\" line=2 p=2;\n"
                                          "CS 4 \"call\" line=3 p=3; r=2;\r\n"
                                          "CH 5 \"x < 1\" line=4 p=4;\n"};
    const std::string tdf = "SF 1 10 20\nOT 3\nOT 5\nOT 5 1\nNO \"a\\tb\"\nOT 4\nOT 4 0\n";
    const std::string byLines = readAll(ots, tdf, true);
    EXPECT_EQ(byLines, readAll(ots, tdf, false));
    EXPECT_NE(byLines.find("[Case \"one\"]"), std::string::npos) << byLines;
    EXPECT_NE(byLines.find("text[a\tb]"), std::string::npos) << byLines;
    EXPECT_NE(byLines.find("9 0 4 2 [call] 3 1 3 v1/0/1/0/0 text[a\tb]"), std::string::npos) << byLines;
}

TEST(LineReading, FilesAcrossBufferBoundaries)
{
    // Files several buffers long whose lines end, and whose CR LF pairs are
    // split, at every distance from the 256 KiB block boundary, plus a line
    // longer than the whole buffer: read from the file they give the tree
    // that byte reading from memory gives.
    const auto dir = std::filesystem::temp_directory_path() / ("qv-lines-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string ots = "CK 10 20\nTS 2 \"S\" line=1 p=1;\n";
    uint32_t id = 3;
    while (ots.size() < 700 * 1024) {
        const size_t pad = id % 97;
        ots += "CH " + std::to_string(id) + " \"" + std::string(pad, 'c') + "\" line=" + std::to_string(id) +
            " p=2;" + (id % 5 == 0 ? "\r\n" : "\n");
        if (id == 400)
            ots += "CO 190 \"" + std::string(300 * 1024, 'x') + "\" line=1 p=2;\n";
        ++id;
    }
    std::string tdf = "SF 1 10 20\n";
    while (tdf.size() < 600 * 1024) {
        const uint32_t e = 3 + uint32_t(tdf.size() % (id - 3));
        tdf += "OT " + std::to_string(e) + (e % 3 ? " 1" : "") + (e % 7 == 0 ? "\r\n" : "\n");
    }
    const std::string otsPath = (dir / "big.ots").string();
    const std::string tdfPath = (dir / "big.tdf").string();
    std::ofstream(otsPath, std::ios::binary) << ots;
    std::ofstream(tdfPath, std::ios::binary) << tdf;

    TestTree tree;
    tree.initTree();
    OtsGlobals globals;
    ASSERT_TRUE(readOtsFile(tree, globals, otsPath, 0));
    ASSERT_TRUE(readTdfFile(tree, tdfPath));
    const std::string fromFile = dump(tree, globals);
    std::filesystem::remove_all(dir);

    // Byte reading from memory names the root after the same base name.
    TestTree reference;
    reference.initTree();
    OtsGlobals referenceGlobals;
    InStream in;
    in.openMemory(ots);
    in.showLines(false);
    ASSERT_TRUE(detail::readOtsStream(reference, referenceGlobals, in, otsPath, 0));
    InStream trace;
    trace.openMemory(tdf);
    trace.showLines(false);
    ASSERT_TRUE(detail::readTdfStream(reference, trace));
    EXPECT_TRUE(fromFile == dump(reference, referenceGlobals));
    EXPECT_EQ(tree.nodeCount(), size_t(id - 3 + 3)); // the root, the suite, the long comment
}

TEST(LineCursor, TokensStopAtTheLineEnd)
{
    LineCursor c("ab cd;e");
    EXPECT_EQ(c.token(' '), "ab");
    EXPECT_EQ(c.token(';', ' '), "cd");
    EXPECT_TRUE(c.ok());
    EXPECT_EQ(c.position(), 6u);
    c.token(' '); // would run into the next line
    EXPECT_FALSE(c.ok());

    const std::string withNul = "a\0b c"s;
    LineCursor nul(withNul);
    EXPECT_EQ(nul.token(' '), "a"); // a NUL ends the kept text
    EXPECT_EQ(nul.rest(), "c");

    const std::string longLine = std::string(1500, 'y') + " ";
    LineCursor longToken(longLine);
    EXPECT_EQ(longToken.token(' ').size(), LineCursor::TokenLimit);
}

TEST(LineCursor, UntilTextFollowsTheByteRules)
{
    std::string buffer;
    {
        LineCursor c("na\\\"me\" line=7");
        EXPECT_EQ(c.untilText(NameEnd, 1992, buffer), "na\"me");
        EXPECT_EQ(c.token(' ', ' '), ""); // "7" runs to the end of the line
        EXPECT_FALSE(c.ok());
    }
    {
        // A match broken by an escaped character and restarted.
        LineCursor c("a\" lin\" line=1 ");
        EXPECT_EQ(c.untilText(NameEnd, 1992, buffer), "a\" lin");
        EXPECT_EQ(c.token(' '), "1");
    }
    {
        // The keep limit cuts a long text as the stream reader does.
        const std::string line = std::string(3000, 'n') + NameEnd + "1 ";
        LineCursor c(line);
        EXPECT_EQ(c.untilText(NameEnd, 1992, buffer), std::string(1985, 'n'));
        EXPECT_TRUE(c.ok());
    }
    {
        LineCursor c("no terminator\\");
        c.untilText(NameEnd, 1992, buffer);
        EXPECT_FALSE(c.ok());
    }
}

} // namespace
} // namespace qv
