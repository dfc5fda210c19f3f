#pragma once
// Pieces of the expected report document shared by the renderer's tests and
// the report step's tests.

#include "model/evaluation.h"
#include "model/tree.h"

#include <fstream>
#include <sstream>
#include <string>

namespace qv::testdoc {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string row2(const char* style, const std::string& a, const std::string& b)
{
    return std::string("<ROW>\n<CELL_TEXT STYLE=\"") + style + "\">" + a +
        "</CELL_TEXT>\n<CELL_TEXT STYLE=\"" + style + "\">" + b + "</CELL_TEXT>\n</ROW>\n";
}

/// The document up to the summary table's count rows, for the default head.
inline std::string head(const char* state, const char* prefix = "Test",
                        const char* title = "Component testing C++ report")
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<XROD>\n"
                       "<APIDOC>\n"
                       "<DOCUMENT TITLE=\"r.xrd\" TAG=\"") +
        prefix + "x1\">\n<XROD:NODE name=\"Global Report\" type=\"Global Report\" state=\"" + state +
        "\" icone=\"testscript.xpm\"><SECTION TAG=\"filex2\">\n"
        "<TITLE LEVEL=\"0\" TAG=\"nodex3\" STYLE=\"Title1\">\n"
        "<TEXT>" +
        title +
        "</TEXT>\n"
        "</TITLE>\n"
        "<TITLE LEVEL=\"1\" TAG=\"nodex4\" STYLE=\"Title2\">\n"
        "<TEXT>Report summary</TEXT>\n"
        "</TITLE>\n"
        "<TABLE BORDER=\"1\">\n"
        "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">Kestrelon Component "
        "testing C++ 8.3.0.1</CELL_TEXT></ROW>"
        "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">(C) Copyright "
        "Kestrelon Systems 1998, 2026. All rights reserved.</CELL_TEXT></ROW>";
}

inline const char* const InformationTitle = "<TITLE LEVEL=\"1\" TAG=\"nodex5\" STYLE=\"Title2\">\n"
                                            "<TEXT>Report Information</TEXT>\n"
                                            "</TITLE>\n"
                                            "<TABLE BORDER=\"1\">\n";

inline const char* const DocumentEnd = "</XROD:NODE>\n</DOCUMENT>\n</APIDOC>\n</XROD>\n";

/// A tree built by hand for the report tests.
struct TreeBuilder {
    TestTree tree;

    /// Opens file `index`, out/name.ots, with source path src/name.kts.
    void file(int index, const char* name)
    {
        tree.openOtsFile(index, name);
        tree.setSourceFile(index, std::string("src/"), std::string(name) + ".kts", 1);
    }
    void add(int index, ElementKind kind, uint32_t id, const char* name, uint32_t parent, int line)
    {
        tree.addNode(index, kind, id, name, parent, line, 0);
    }
    void hit(int index, uint32_t id, TraceEvent event = TraceEvent::Hit)
    {
        markHit(tree.findNode(index, id), event);
    }
};

} // namespace qv::testdoc
