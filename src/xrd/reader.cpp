// Streaming reader of XRD reports on libxml2's push parser with the SAX1
// element callbacks, so that the undeclared XROD: prefix stays part of a name
// (the grammar read is described in document_state.cpp).
//
// Reports are untrusted data: a document type declaration is refused, so no
// entity is ever declared, loaded or expanded, and the network is never used.

#include "xrd/document_state.h"
#include "xrd/read_buffer.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace xrd {

namespace {

using detail::DocumentState;
using Reader = detail::DocumentState;

constexpr std::size_t ChunkSize = 1 << 18;

// libxml2 does not always say that memory ran out: a failed buffer growth ends
// a push with -1, like a document it gave up on. Its allocations go through
// these wrappers, which remember a failure for the thread that met it.
thread_local bool libxmlOutOfMemory = false;

void* trackedMalloc(std::size_t size)
{
    void* block = std::malloc(size);
    if (!block)
        libxmlOutOfMemory = true;
    return block;
}

void* trackedRealloc(void* block, std::size_t size)
{
    void* grown = std::realloc(block, size);
    if (!grown && size != 0)
        libxmlOutOfMemory = true;
    return grown;
}

char* trackedStrdup(const char* text)
{
    char* copy = strdup(text);
    if (!copy)
        libxmlOutOfMemory = true;
    return copy;
}

// No exception may unwind through libxml2's C frames: a callback that runs
// out of memory stops the parser, and parse() raises it once libxml2 returned.
void onStart(void* data, const xmlChar* name, const xmlChar** atts)
{
    Reader* reader = static_cast<Reader*>(data);
    try {
        reader->start(name, atts);
    } catch (const std::bad_alloc&) {
        reader->failOutOfMemory();
    }
}

void onEnd(void* data, const xmlChar* name)
{
    Reader* reader = static_cast<Reader*>(data);
    try {
        reader->end(name);
    } catch (const std::bad_alloc&) {
        reader->failOutOfMemory();
    }
}

void onCharacters(void* data, const xmlChar* text, int size)
{
    Reader* reader = static_cast<Reader*>(data);
    try {
        reader->text(reinterpret_cast<const char*>(text), std::size_t(size));
    } catch (const std::bad_alloc&) {
        reader->failOutOfMemory();
    }
}

void onDoctype(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
{
    static_cast<Reader*>(data)->failHere("a document type declaration is not accepted");
}

void onEntityDecl(void* data, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    static_cast<Reader*>(data)->failHere("an entity declaration is not accepted");
}

/// libxml2's messages: the first error is kept, nothing is printed.
void onError(void* data, const char*, ...)
{
    Reader* reader = static_cast<Reader*>(data);
    const xmlError* error = reader->context ? xmlCtxtGetLastError(reader->context) : nullptr;
    if (!error || error->level < XML_ERR_ERROR)
        return;
    if (error->code == XML_ERR_NO_MEMORY) {
        reader->failOutOfMemory();
        return;
    }
    std::string message = error->message ? error->message : "malformed XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (reader->result.status == ReadStatus::Ok)
        reader->errorCode = error->code;
    reader->fail(error->line, error->int2, message);
}

void onWarning(void*, const char*, ...)
{}

xmlSAXHandlerV1 makeHandler()
{
    xmlSAXHandlerV1 sax;
    std::memset(&sax, 0, sizeof sax);
    sax.internalSubset = onDoctype;
    sax.entityDecl = onEntityDecl;
    sax.startElement = onStart;
    sax.endElement = onEnd;
    sax.characters = onCharacters;
    sax.cdataBlock = onCharacters;
    sax.warning = onWarning;
    sax.error = onError;
    sax.fatalError = onError;
    sax.initialized = 1; // not XML_SAX2_MAGIC: the SAX1 element callbacks
    return sax;
}

struct ContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

/// Feeds chunks to one push parser; `next` fills a buffer and returns its size,
/// 0 at the end, or -1 on a read error (errno set).
template <typename Next> ReadResult parse(ReportHandler& handler, Next next)
{
    static const bool initialised = [] {
        xmlMemSetup(std::free, trackedMalloc, trackedRealloc, trackedStrdup);
        xmlInitParser();
        return true;
    }();
    (void)initialised;
    // libxml2's generic messages (encoding and I/O errors) go to the error
    // stream by default; the reason is reported through the result instead.
    // The setting belongs to the calling thread.
    xmlSetGenericErrorFunc(nullptr, onWarning);
    libxmlOutOfMemory = false;

    Reader reader(handler);
    xmlSAXHandlerV1 sax = makeHandler();
    std::unique_ptr<xmlParserCtxt, ContextDeleter> context(
        xmlCreatePushParserCtxt(reinterpret_cast<xmlSAXHandlerPtr>(&sax), &reader, nullptr, 0, "report.xrd"));
    if (!context)
        throw std::bad_alloc();
    reader.context = context.get();
    xmlCtxtUseOptions(context.get(), XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOWARNING);

    std::unique_ptr<char[]> buffer(new char[ChunkSize]);
    bool anyContent = false; // a byte other than white space
    for (;;) {
        const long size = next(buffer.get(), ChunkSize);
        if (size < 0) {
            const int saved = errno;
            reader.result = ReadResult();
            reader.result.status = ReadStatus::CannotRead;
            reader.result.reason = std::strerror(saved);
            return reader.result;
        }
        handler.bytesRead(buffer.get(), std::size_t(size));
        for (long i = 0; i < size && !anyContent; ++i) {
            const char c = buffer[std::size_t(i)];
            anyContent = c != ' ' && c != '\n' && c != '\r' && c != '\t';
        }
        const int code = xmlParseChunk(context.get(), buffer.get(), int(size), size == 0);
        // libxml2 out of memory stops with XML_ERR_NO_MEMORY, or with -1 when
        // even raising that error failed: either way not the document's fault.
        if (reader.outOfMemory || libxmlOutOfMemory || code == XML_ERR_NO_MEMORY ||
            context->errNo == XML_ERR_NO_MEMORY)
            throw std::bad_alloc();
        if (code != 0 && reader.result.status == ReadStatus::Ok) {
            // Some errors (a failed encoding conversion among them) reach only the
            // generic error channel, not the SAX callbacks.
            reader.errorCode = code;
            reader.fail(xmlSAX2GetLineNumber(context.get()), xmlSAX2GetColumnNumber(context.get()),
                        code == XML_I18N_CONV_FAILED || code == XML_ERR_INVALID_ENCODING
                            ? "the text cannot be decoded in the declared encoding"
                            : "malformed XML (libxml2 error " + std::to_string(code) + ")");
        }
        if (reader.result.status != ReadStatus::Ok || size == 0)
            break;
    }
    if (reader.result.status == ReadStatus::Ok && reader.sawRoot && reader.openElements() > 0)
        reader.fail(xmlSAX2GetLineNumber(context.get()), xmlSAX2GetColumnNumber(context.get()),
                    "Premature end of data (the file is truncated)");
    if (reader.result.status == ReadStatus::Ok && !context->wellFormed)
        reader.fail(xmlSAX2GetLineNumber(context.get()), xmlSAX2GetColumnNumber(context.get()),
                    "malformed XML");
    if (reader.result.status == ReadStatus::NotReport && reader.errorCode == XML_ERR_DOCUMENT_END &&
        reader.openElements() > 0)
        reader.result.reason =
            "Premature end of data (the file is truncated)"; // libxml2 says "Extra content"
    if (!reader.sawRoot) {
        // libxml2's words for a file without any element mislead here.
        if (!anyContent) {
            reader.result.status = ReadStatus::Ok;
            reader.fail(1, 1, "the file is empty");
        } else if (reader.result.status == ReadStatus::Ok || reader.result.reason == "Document is empty") {
            reader.result.status = ReadStatus::Ok;
            reader.fail(reader.result.line > 0 ? reader.result.line : 1,
                        reader.result.column > 0 ? reader.result.column : 1,
                        "Start tag expected, '<' not found");
        }
    }
    return reader.result;
}

} // namespace

ReadResult readReport(const std::string& path, ReportHandler& handler)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ReadResult result;
        result.status = ReadStatus::CannotRead;
        result.reason = std::strerror(errno);
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, std::fclose);
    return parse(handler, [file](char* buffer, std::size_t capacity) -> long {
        const std::size_t got = std::fread(buffer, 1, capacity, file);
        if (got == 0 && std::ferror(file))
            return -1;
        return long(got);
    });
}

ReadResult detail::readReportBuffer(const char* data, std::size_t size, ReportHandler& handler)
{
    std::size_t offset = 0;
    return parse(handler, [&](char* buffer, std::size_t capacity) -> long {
        const std::size_t take = size - offset < capacity ? size - offset : capacity;
        std::memcpy(buffer, data + offset, take);
        offset += take;
        return long(take);
    });
}

} // namespace xrd
