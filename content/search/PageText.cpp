#include "PageText.h"

#include <libxml/HTMLparser.h>

#include <QHash>
#include <climits>
#include <memory>
#include <mutex>

namespace {

// What an element does to the text: nothing, start a line of its own, hide what it holds, break
// the line.
enum class Kind { Inline, Block, Hidden, LineBreak };

Kind kindOf(const char* name) {
    for (const char* hidden : {"head", "title", "script", "style", "noscript", "template"})
        if (qstricmp(name, hidden) == 0) return Kind::Hidden;
    if (qstricmp(name, "br") == 0) return Kind::LineBreak;
    if (const htmlElemDesc* known = htmlTagLookup(reinterpret_cast<const xmlChar*>(name)))
        return known->isinline ? Kind::Inline : Kind::Block;
    // The parser's table is HTML 4's; the HTML5 blocks it does not know.
    for (const char* block : {"article", "aside", "details", "figcaption", "figure", "footer", "header", "main", "nav",
                              "section", "summary"})
        if (qstricmp(name, block) == 0) return Kind::Block;
    return Kind::Inline;
}

// The parser's table is searched name by name; each thread remembers what it found.
Kind kindOf(const xmlChar* name) {
    thread_local QHash<QByteArray, Kind> known;
    const char* text = reinterpret_cast<const char*>(name);
    const QByteArray key = QByteArray::fromRawData(text, qstrlen(text));
    const auto found = known.constFind(key);
    if (found != known.constEnd()) return *found;
    const Kind kind = kindOf(key.constData());
    known.insert(QByteArray(key.constData(), key.size()), kind);
    return kind;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Collects the text as the parser reports it, with collapsed white space; a break asked for is
// written before the next text, so that no line starts or ends with a space and no lines are empty.
struct TextWriter {
    enum Break { None, Space, Line };

    QByteArray text;
    Break pending = None;
    int hidden = 0;  // the hidden elements open around the parser's place

    void breakHere(Break kind) {
        if (kind > pending) pending = kind;
    }
    void write(const char* from, const char* end) {
        if (hidden) return;
        while (from < end) {
            if (isSpace(*from)) {
                breakHere(Space);
                ++from;
                continue;
            }
            const char* word = from;
            while (from < end && !isSpace(*from)) ++from;
            if (pending != None && !text.isEmpty()) text += pending == Line ? '\n' : ' ';
            pending = None;
            text.append(word, from - word);
        }
    }

    static TextWriter& of(void* parser) {
        return *static_cast<TextWriter*>(static_cast<xmlParserCtxtPtr>(parser)->_private);
    }
    static void startElement(void* parser, const xmlChar* name, const xmlChar**) {
        TextWriter& writer = of(parser);
        switch (kindOf(name)) {
            case Kind::Hidden:
                ++writer.hidden;
                break;
            case Kind::Block:
            case Kind::LineBreak:
                writer.breakHere(Line);
                break;
            case Kind::Inline:
                break;
        }
    }
    static void endElement(void* parser, const xmlChar* name) {
        TextWriter& writer = of(parser);
        switch (kindOf(name)) {
            case Kind::Hidden:
                if (writer.hidden) --writer.hidden;
                break;
            case Kind::Block:
                writer.breakHere(Line);
                break;
            default:
                break;
        }
    }
    static void characters(void* parser, const xmlChar* text, int size) {
        const char* from = reinterpret_cast<const char*>(text);
        of(parser).write(from, from + size);
    }
};

}  // namespace

QByteArray PageText(const QByteArray& html) {
    // Once, before any thread parses: the parser's globals.
    static std::once_flag initialised;
    std::call_once(initialised, xmlInitParser);
    if (html.isEmpty() || html.size() > INT_MAX) return {};

    // The parser reports what it reads and builds no tree: quicker, and any depth of elements is
    // fine (without XML_PARSE_HUGE it gives up below 256 nested elements, which the browser shows).
    std::unique_ptr<htmlParserCtxt, void (*)(htmlParserCtxtPtr)> parser(
        htmlCreateMemoryParserCtxt(html.constData(), int(html.size())), htmlFreeParserCtxt);
    if (!parser) return {};
    TextWriter writer;
    htmlSAXHandler handler{};
    handler.startElement = TextWriter::startElement;
    handler.endElement = TextWriter::endElement;
    handler.characters = TextWriter::characters;
    handler.cdataBlock = TextWriter::characters;
    handler.ignorableWhitespace = TextWriter::characters;
    *parser->sax = handler;
    parser->_private = &writer;
    // As the parser's own reading functions set it: a page that declares no character set is read
    // as UTF-8 (and as Latin-1 from where it is not valid UTF-8); a declared one is followed.
    parser->charset = XML_CHAR_ENCODING_UTF8;
    htmlCtxtUseOptions(parser.get(), HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                         XML_PARSE_HUGE);
    htmlParseDocument(parser.get());
    return std::move(writer.text);
}
