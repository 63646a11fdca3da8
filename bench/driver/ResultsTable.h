#pragma once

#include <QString>

// Prints the table of the measurements in a results file ("<benchmark>\t<side>\t<value>" lines)
// with each ratio, its target and whether it holds; returns 3 if a target does not hold, else 0.
int table(const QString& path);
