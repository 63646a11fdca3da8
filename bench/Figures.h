#pragma once

#include <QList>
#include <algorithm>

// The values one benchmark measured over its rounds, and their median and spread.
struct Figures {
    QList<double> values;
    double median() const {
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        const qsizetype n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double min() const { return *std::min_element(values.begin(), values.end()); }
    double max() const { return *std::max_element(values.begin(), values.end()); }
};
