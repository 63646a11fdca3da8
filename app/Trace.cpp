#include "Trace.h"

#include <time.h>

#include <QFile>

void TraceEvent(const char* name, const QString& detail) {
    static const QString path = qEnvironmentVariable("TEXTBOOK_TRACE");
    if (path.isEmpty()) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    QFile file(path);
    if (!file.open(QIODevice::Append)) return;
    QByteArray line = QByteArray(name) + ' ' + QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec);
    if (!detail.isEmpty()) line += ' ' + detail.toUtf8();
    file.write(line + '\n');
}
