// Fuzz target: the OTS reader and its token readers.
//
// The input is one or more OTS files separated by the line "@@@@"; each is read
// into one tree with its position as file index, then the tree is evaluated and
// walked. The token readers also run directly on the whole input.

#include "fuzz_common.h"

#include "model/evaluation.h"
#include "model/tree.h"
#include "readers/instream.h"
#include "readers/otsfile.h"
#include "readers/tokens.h"

#include <string>

using namespace qv;

namespace {

/// Most OTS files taken from one input.
constexpr size_t MaxFiles = 4;

/// Checks what every node of a file root's subtree must satisfy; returns the count.
size_t checkSubtree(const TestTree& tree, TestNode* root, size_t limit)
{
    size_t visited = 0;
    walkPostOrder(root->firstChild, [&](TestNode* node) {
        if (++visited > limit)
            fuzz::fail("the tree holds more nodes than were created (a cycle)");
        if (node->status < NodeStatus::NotExecuted || node->status > NodeStatus::Passed)
            fuzz::fail("status out of range");
        if (node->name().find('\n') != std::string::npos)
            fuzz::fail("a newline was stored in a name");
        if (node->name().find('\0') != std::string::npos)
            fuzz::fail("a NUL was stored in a name");
        if (node->name().size() > 1992)
            fuzz::fail("a name longer than the reader keeps");
        if (!tree.findNode(node->fileIndex, node->id))
            fuzz::fail("a linked node is not in the index");
        if (node->parent == nullptr)
            fuzz::fail("a linked node without parent");
    });
    return visited;
}

/// The token readers on their own, with delimiters chosen by the first bytes.
void fuzzTokenReaders(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    const int delimiter = data[0];
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    InStream in;
    in.openMemory(text);
    for (int guard = 0; !in.atEnd() && guard < 4096; ++guard) {
        const std::string token =
            data[1] & 1 ? readTokenUntilEither(in, delimiter, ';') : readToken(in, delimiter);
        if (token.size() > 1023)
            fuzz::fail("a token longer than 1023 characters");
        if (token.find('\n') != std::string::npos)
            fuzz::fail("a newline was stored in a token");
        const std::string name = readUntilText(in, "\" line=");
        if (name.size() > 1992)
            fuzz::fail("readUntilText kept too much");
        hexField(token);
        decimalField(token);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string_view> parts = fuzz::splitParts(data, size);
    TestTree tree;
    tree.initTree();
    OtsGlobals globals;
    const size_t files = std::min(parts.size(), MaxFiles);
    for (size_t i = 0; i < files; ++i) {
        InStream in;
        in.openMemory(std::string(parts[i]));
        const std::string path = "file" + std::to_string(i) + ".ots";
        if (!detail::readOtsStream(tree, globals, in, path, int(i)))
            fuzz::fail("the OTS reader refused content");
    }
    if (tree.fileCount() != int(files))
        fuzz::fail("file count differs from the files read");

    evaluateTree(tree);
    const size_t limit = tree.nodeCount() + 1;
    for (int i = 0; i < tree.fileCount(); ++i) {
        TestNode* root = tree.fileRoot(i);
        if (!root)
            fuzz::fail("a file without root");
        checkSubtree(tree, root, limit);
        tree.otsFileNameAt(i);
    }
    const auto [passed, failed, inconclusive] = tallyStatuses(tree);
    if (passed < 0 || failed < 0 || inconclusive < 0)
        fuzz::fail("negative summary count");
    tree.releaseTree();

    fuzzTokenReaders(data, size);
    return 0;
}
