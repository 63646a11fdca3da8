#pragma once

#include <time.h>

#include <QString>
#include <cstdio>
#include <cstdlib>

// What every part of the driver shares: the clock the programs write into their traces, and the
// ways to tell the user something or to give up.

constexpr qint64 kMs = 1000000;

inline qint64 now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

[[noreturn]] inline void fail(const QString& why) {
    std::fprintf(stderr, "bench_driver: %s\n", qPrintable(why));
    std::exit(1);
}

inline void note(const QString& text) {
    std::fprintf(stderr, "  %s\n", qPrintable(text));
    std::fflush(stderr);
}
