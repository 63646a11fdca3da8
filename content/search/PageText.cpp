#include "PageText.h"

#include <libxml/HTMLparser.h>

#include <climits>
#include <memory>
#include <mutex>

namespace {

// What a page does not show.
bool isHidden(const xmlChar* name) {
    for (const char* hidden : {"head", "title", "script", "style", "noscript", "template"})
        if (xmlStrcasecmp(name, reinterpret_cast<const xmlChar*>(hidden)) == 0) return true;
    return false;
}

// Whether an element starts a line of its own. The parser's table is HTML 4's; the HTML5 blocks it
// does not know are named here.
bool isBlock(const xmlChar* name) {
    if (const htmlElemDesc* known = htmlTagLookup(name)) return !known->isinline;
    for (const char* block : {"article", "aside", "details", "figcaption", "figure", "footer", "header", "main", "nav",
                              "section", "summary"})
        if (xmlStrcasecmp(name, reinterpret_cast<const xmlChar*>(block)) == 0) return true;
    return false;
}

// Collects text with collapsed white space; a break asked for is written before the next text, so
// that no line starts or ends with a space and no empty lines come.
class TextWriter {
public:
    enum Break { None, Space, Line };

    void breakHere(Break kind) {
        if (kind > pending_) pending_ = kind;
    }
    void write(const char* text) {
        for (const char* c = text; *c; ++c) {
            if (*c == ' ' || *c == '\t' || *c == '\n' || *c == '\r' || *c == '\f') {
                breakHere(Space);
                continue;
            }
            if (pending_ != None && !out_.isEmpty()) out_ += pending_ == Line ? '\n' : ' ';
            pending_ = None;
            out_ += *c;
        }
    }
    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
    Break pending_ = None;
};

}  // namespace

QByteArray PageText(const QByteArray& html) {
    // Once, before any thread parses: the parser's globals.
    static std::once_flag initialised;
    std::call_once(initialised, xmlInitParser);
    if (html.isEmpty() || html.size() > INT_MAX) return {};

    // Without XML_PARSE_HUGE the parser gives up below 256 nested elements, which the browser shows.
    const int options =
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | XML_PARSE_HUGE;
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> document(
        htmlReadMemory(html.constData(), int(html.size()), nullptr, nullptr, options), xmlFreeDoc);
    if (!document) return {};

    // A walk without recursion: a page may nest its elements as deep as it likes.
    TextWriter text;
    xmlNode* const root = xmlDocGetRootElement(document.get());
    xmlNode* node = root;
    while (node) {
        bool descend = false;
        if (node->type == XML_ELEMENT_NODE && !isHidden(node->name)) {
            if (isBlock(node->name)) text.breakHere(TextWriter::Line);
            if (xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>("br")) == 0)
                text.breakHere(TextWriter::Line);
            descend = node->children != nullptr;
        } else if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content) {
            text.write(reinterpret_cast<const char*>(node->content));
        }
        if (descend) {
            node = node->children;
            continue;
        }
        // Up to the next sibling, closing the blocks left on the way.
        while (node && node != root && !node->next) {
            node = node->parent;
            if (node->type == XML_ELEMENT_NODE && isBlock(node->name)) text.breakHere(TextWriter::Line);
        }
        node = node && node != root ? node->next : nullptr;
    }
    return text.take();
}
