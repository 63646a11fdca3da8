#pragma once

#include <QString>

// Moments the benchmarks measure: when TEXTBOOK_TRACE names a file, each event is appended to it
// as "<name> <monotonic nanoseconds>[ <detail>]". Without it nothing is written.
void TraceEvent(const char* name, const QString& detail = QString());
