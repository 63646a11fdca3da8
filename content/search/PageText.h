#pragma once

#include <QByteArray>

// The text a course page shows, taken out of its HTML with libxml2's HTML parser (which follows the
// page's declared character set, UTF-8 when it declares none), as UTF-8. Each block (paragraph,
// heading, list item, table cell...) is one line; spaces within a line are collapsed. The head,
// scripts and styles show nothing and give nothing.
QByteArray PageText(const QByteArray& html);
