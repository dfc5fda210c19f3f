// Writes the large inputs of the fault-injection cases (see run-fault), so that
// none of them has to live in the repository.
//
// usage: qv_faultgen CASE DIR
//        qv_faultgen check FILE
//
// Every case writes a.ots and t.tdf into DIR; some also write h.txt (a header
// text file) and s.txt (a studio header file). "check" tells whether FILE is
// well-formed XML 1.0 (exit 0) at any depth; namespaces are not processed, so
// the undeclared XROD prefix of the format is no error and costs nothing.

#include "model/tree.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

/// Bytes of a 100 MB line and of a 10 MB name.
constexpr size_t HundredMb = 100u * 1000u * 1000u;
constexpr size_t TenMb = 10u * 1000u * 1000u;
/// Depth of the nested chain.
constexpr unsigned NestedCount = 1000000;
/// Elements that share one bucket of the identifier index.
constexpr unsigned SameBucketCount = 40000;

/// An output file that fails the program on any write error.
class Out {
public:
    Out(const std::string& dir, const char* name) : path_(dir + "/" + name)
    {
        file_ = std::fopen(path_.c_str(), "wb");
        if (!file_) {
            std::perror(path_.c_str());
            std::exit(2);
        }
    }
    ~Out()
    {
        if (std::fclose(file_) != 0) {
            std::perror(path_.c_str());
            std::exit(2);
        }
    }
    Out& operator<<(const std::string& s)
    {
        write(s.data(), s.size());
        return *this;
    }
    Out& operator<<(const char* s)
    {
        write(s, std::strlen(s));
        return *this;
    }
    /// `count` copies of the character.
    void fill(char c, size_t count)
    {
        const std::string block(1 << 20, c);
        while (count > 0) {
            const size_t n = count < block.size() ? count : block.size();
            write(block.data(), n);
            count -= n;
        }
    }
    void write(const char* data, size_t size)
    {
        if (size && std::fwrite(data, 1, size, file_) != size) {
            std::perror(path_.c_str());
            std::exit(2);
        }
    }

private:
    std::string path_;
    FILE* file_ = nullptr;
};

std::string hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

/// An element record of file 0.
std::string element(const char* code, unsigned id, const std::string& name, unsigned parent, int line = 1)
{
    return std::string(code) + " " + hex(id) + " \"" + name + "\" line=" + std::to_string(line) +
        " p=" + hex(parent) + ";\n";
}

/// The file records that bind file 0 to the trace's file 1.
const char* const OtsHead = "CK 5a 5b\nOF \"dir/\" \"script.kts\" 0\n";
const char* const TdfHead = "SF 1 5a 5b\n";

/// 100 MB lines in every input: an unknown record, a trace text, a header line, a studio line.
void longLines(const std::string& dir)
{
    {
        Out ots(dir, "a.ots");
        ots << OtsHead << element("TS", 2, "suite", 1);
        ots << "CP ";
        ots.fill('x', HundredMb);
        ots << "\n" << element("TC", 3, "after the long line", 2) << element("CH", 4, "check", 3);
    }
    {
        Out tdf(dir, "t.tdf");
        tdf << TdfHead << "OT 2\nOT 3\n";
        tdf << "XX ";
        tdf.fill('z', HundredMb);
        tdf << "\nOT 4\nOT 4 1\n";
    }
    {
        Out header(dir, "h.txt");
        header << "Title line\n";
        header.fill('h', HundredMb);
        header << "\nOwner=QA\n";
    }
    {
        Out studio(dir, "s.txt");
        studio << "$PROJECT_NAME=";
        studio.fill('p', HundredMb);
        studio << "\n$NAME=node\n";
    }
}

/// A 10 MB element name, directory, trace text and header value.
void longNames(const std::string& dir)
{
    {
        Out ots(dir, "a.ots");
        ots << "CK 5a 5b\nOF \"";
        ots.fill('d', TenMb);
        ots << "\" \"script.kts\" 0\n" << element("TS", 2, "suite", 1);
        ots << "TC 3 \"";
        // A name of 1985 'n' and then 'N' up to 10 MB: the cut keeps only the 'n's.
        ots.fill('n', 1985);
        ots.fill('N', TenMb - 1985);
        ots << "\" line=7 p=2;\n" << element("CH", 4, "check", 3);
    }
    {
        Out tdf(dir, "t.tdf");
        tdf << TdfHead << "OT 2\nOT 3\nNO \"";
        tdf.fill('t', TenMb);
        tdf << "\"\nOT 4\nOT 4 1\n";
    }
    {
        Out header(dir, "h.txt");
        header << "Owner=";
        header.fill('v', TenMb);
        header << "\n";
    }
}

/// A chain of one million elements, each the parent of the next, with a failing
/// check at the bottom whose result travels up to the root.
void deepNesting(const std::string& dir)
{
    {
        Out ots(dir, "a.ots");
        ots << OtsHead << element("TS", 2, "top", 1);
        for (unsigned id = 3; id < NestedCount + 2; ++id)
            ots << element("TS", id, "level", id - 1);
        ots << element("TC", NestedCount + 2, "bottom", NestedCount + 1)
            << element("CH", NestedCount + 3, "deep check", NestedCount + 2);
    }
    {
        Out tdf(dir, "t.tdf");
        tdf << TdfHead;
        for (unsigned id = 2; id < NestedCount + 4; ++id)
            tdf << "OT " << hex(id) << "\n";
        tdf << "OT " << hex(NestedCount + 3) << " 0\n";
    }
}

/// Test cases and checks whose ids all fall into one bucket of the index.
void oneBucket(const std::string& dir)
{
    const uint32_t bucket = qv::TestTree::nodeHash(0, 2);
    unsigned found = 0;
    std::vector<unsigned> same;
    for (unsigned id = 3; found < 2 * SameBucketCount; ++id) {
        if (qv::TestTree::nodeHash(0, id) == bucket) {
            same.push_back(id);
            ++found;
        }
    }
    {
        Out ots(dir, "a.ots");
        ots << OtsHead << element("TS", 2, "suite", 1);
        for (unsigned i = 0; i < SameBucketCount; ++i)
            ots << element("TC", same[2 * i], "case", 2)
                << element("CH", same[2 * i + 1], "check", same[2 * i]);
    }
    {
        Out tdf(dir, "t.tdf");
        tdf << TdfHead << "OT 2\n";
        for (unsigned i = 0; i < SameBucketCount; ++i)
            tdf << "OT " << hex(same[2 * i]) << "\nOT " << hex(same[2 * i + 1]) << "\nOT "
                << hex(same[2 * i + 1]) << " 1\n";
    }
}

/// A trace whose every event names an element that does not exist.
void unknownIds(const std::string& dir)
{
    {
        Out ots(dir, "a.ots");
        ots << OtsHead << element("TS", 2, "suite", 1) << element("TC", 3, "case", 2)
            << element("CH", 4, "check", 3);
    }
    {
        Out tdf(dir, "t.tdf");
        tdf << TdfHead;
        for (unsigned id = 100; id < 20100; ++id)
            tdf << "NO \"lost text\"\nOT " << hex(id) << "\nOT " << hex(id) << " 0\n";
        // Unbound trace files and a checksum pair that no OTS file has.
        tdf << "CS 7\nOT 2\nOT 4 0\nSF 2 1 1\nOT 3\nOT 4 0\nCS ffffffff\nOT 4 0\n";
    }
}

/// Streams the file through libxml2 without building anything; 0 when well-formed.
int checkXml(const char* path)
{
    xmlParserCtxtPtr context = xmlCreateFileParserCtxt(path);
    if (!context) {
        std::fprintf(stderr, "%s: cannot be read\n", path);
        return 1;
    }
    xmlCtxtUseOptions(context, XML_PARSE_HUGE | XML_PARSE_SAX1 | XML_PARSE_NONET);
    // Keep only the error callbacks: the parser then checks and discards.
    xmlSAXHandler* sax = context->sax;
    const xmlSAXHandler kept = *sax;
    *sax = xmlSAXHandler();
    sax->error = kept.error;
    sax->fatalError = kept.fatalError;
    xmlParseDocument(context);
    const bool wellFormed = context->wellFormed != 0;
    xmlFreeParserCtxt(context);
    return wellFormed ? 0 : 1;
}

/// A trace that names its one script under 300,000 trace-file ids, then selects
/// ids that were never bound, and scripts whose elements refer to a stub.
void manyBindings(const std::string& dir)
{
    constexpr unsigned Ids = 300000;
    {
        Out ots(dir, "a.ots");
        ots << OtsHead << element("SB", 2, "stub", 1) << element("TS", 3, "suite", 1);
        for (unsigned i = 0; i < 2000; ++i) {
            const unsigned id = 4 + 2 * i;
            ots << "TC " << hex(id) << " \"case\" line=1 p=3; r=2;\n" << element("CH", id + 1, "check", id);
        }
    }
    {
        Out tdf(dir, "t.tdf");
        for (unsigned id = 1; id <= Ids; ++id)
            tdf << "SF " << hex(id) << " 5a 5b\n";
        for (unsigned i = 0; i < Ids; ++i)
            tdf << "SF 1 5a 5b\nCS " << hex(Ids + 1 + i) << "\n";
        tdf << "CS 1\nOT 2\nOT 3\n";
        for (unsigned i = 0; i < 2000; ++i)
            tdf << "OT " << hex(4 + 2 * i) << "\nOT " << hex(5 + 2 * i) << " 1\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qv_faultgen CASE DIR\n");
        return 2;
    }
    const std::string name = argv[1];
    const std::string dir = argv[2];
    if (name == "check")
        return checkXml(argv[2]);
    if (name == "long_lines")
        longLines(dir);
    else if (name == "long_names")
        longNames(dir);
    else if (name == "deep_nesting")
        deepNesting(dir);
    else if (name == "one_bucket")
        oneBucket(dir);
    else if (name == "unknown_ids")
        unknownIds(dir);
    else if (name == "many_bindings")
        manyBindings(dir);
    else {
        std::fprintf(stderr, "qv_faultgen: unknown case %s\n", name.c_str());
        return 2;
    }
    return 0;
}
