#include "fuzz_xml.h"

#include "fuzz_common.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

namespace qv::fuzz {

namespace {

/// Keeps libxml2's messages off the error stream; the context still records the last error.
void quietErrors(void* context, const char*, ...)
{
    (void)context;
}

} // namespace

void checkWellFormed(const std::string& document)
{
    static const bool initialised = [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, quietErrors);
        return true;
    }();
    (void)initialised;

    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        fail("libxml2 could not make a parser context");
    xmlDocPtr doc =
        xmlCtxtReadMemory(context, document.data(), int(document.size()), "report.xrd", nullptr,
                          XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool wellFormed = doc && context->wellFormed;
    std::string message;
    if (!wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(context);
        message = error && error->message ? error->message : "no document";
        if (error)
            message += " at line " + std::to_string(error->line);
    }
    xmlFreeDoc(doc);
    xmlFreeParserCtxt(context);
    if (!wellFormed)
        fail("the report is not well-formed XML", message + "\n" + document.substr(0, 2000));
}

} // namespace qv::fuzz
