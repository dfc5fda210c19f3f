// The floor for reading an XRD report: one bare libxml2 SAX pass, with the
// same parser, options and chunk size as xrdtool's reader, with the same
// callbacks (element start and end, characters) counting and doing nothing else. bench/run compares xrdtool's
// commands with it.
//
// usage: qv_xrd_sax_pass REPORT.xrd     prints "elements=E text=B"

#include <libxml/parser.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Counts {
    unsigned long elements = 0;
    unsigned long ends = 0;
    unsigned long text = 0;
};

void onStart(void* data, const xmlChar*, const xmlChar**)
{
    ++static_cast<Counts*>(data)->elements;
}

void onEnd(void* data, const xmlChar*)
{
    ++static_cast<Counts*>(data)->ends;
}

void onCharacters(void* data, const xmlChar*, int size)
{
    static_cast<Counts*>(data)->text += unsigned(size);
}

void quiet(void*, const char*, ...)
{}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_xrd_sax_pass REPORT.xrd\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    xmlSAXHandlerV1 sax;
    std::memset(&sax, 0, sizeof sax);
    sax.startElement = onStart;
    sax.endElement = onEnd;
    sax.characters = onCharacters;
    sax.error = quiet;
    sax.fatalError = quiet;
    sax.initialized = 1;
    Counts counts;
    xmlParserCtxtPtr context =
        xmlCreatePushParserCtxt(reinterpret_cast<xmlSAXHandlerPtr>(&sax), &counts, nullptr, 0, argv[1]);
    xmlCtxtUseOptions(context, XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOWARNING);
    const std::size_t chunk = 1 << 18;
    std::unique_ptr<char[]> buffer(new char[chunk]);
    for (;;) {
        const std::size_t got = std::fread(buffer.get(), 1, chunk, file);
        xmlParseChunk(context, buffer.get(), int(got), got == 0);
        if (got == 0)
            break;
    }
    const bool ok = context->wellFormed;
    xmlFreeParserCtxt(context);
    std::fclose(file);
    std::printf("elements=%lu text=%lu\n", counts.elements, counts.text);
    return ok ? 0 : 1;
}
