#include "ReaderSettings.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSettings>
#include <QThreadPool>
#include <QVariant>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kZoomKey = u"viewer/zoom"_s;
const QString kPlacesGroup = u"places"_s;
// Places beyond these, the oldest, are dropped: a lab account that many register users share
// must not end with a file that takes long to read.
constexpr qsizetype kMostPlaces = 1000;

// What was read from the file or changed in this run, by key; the changed keys not yet written.
struct Memory {
    QHash<QString, QVariant> values;
    QSet<QString> changed;
    qint64 lastVisit = 0;
};
Memory& memory() {
    static Memory m;
    return m;
}

// One writer, so that the writes reach the file in the order they were made.
struct Writer {
    QThreadPool pool;
    Writer() { pool.setMaxThreadCount(1); }
};
QThreadPool& writer() {
    static Writer w;
    return w.pool;
}

QVariant setting(const QString& key) {
    Memory& m = memory();
    if (const auto it = m.values.constFind(key); it != m.values.cend()) return *it;
    const QVariant value = QSettings(u"textbook"_s, u"textbook"_s).value(key);
    m.values.insert(key, value);
    return value;
}

void keep(const QString& key, const QVariant& value) {
    memory().values.insert(key, value);
    memory().changed.insert(key);
}

struct Place {
    double at = 0;
    qint64 visit = -1;  // when it was left, in milliseconds since 1970; -1: never
};

// A place as stored: "share, visit". Anything else is no place.
Place parsePlace(const QVariant& value) {
    const QStringList parts = value.toStringList();
    bool atOk = false;
    bool visitOk = false;
    const double at = parts.value(0).toDouble(&atOk);
    const qint64 visit = parts.value(1).toLongLong(&visitOk);
    if (parts.size() != 2 || !atOk || !visitOk || !(at >= 0 && at <= 1)) return {};
    return {at, visit};
}

QString placeKey(const QString& user, const QString& page) {
    const QByteArray id = (user + QChar(0) + page).toUtf8();
    return kPlacesGroup + u'/' + QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex());
}

void dropOldestPlaces(QSettings& settings) {
    settings.beginGroup(kPlacesGroup);
    const QStringList keys = settings.childKeys();
    if (keys.size() > kMostPlaces) {
        QList<std::pair<qint64, QString>> byVisit;
        for (const QString& key : keys) byVisit.append({parsePlace(settings.value(key)).visit, key});
        std::sort(byVisit.begin(), byVisit.end());
        for (qsizetype i = 0; i < keys.size() - kMostPlaces; ++i) settings.remove(byVisit[i].second);
    }
    settings.endGroup();
}

void write(const QHash<QString, QVariant>& values) {
    QSettings settings(u"textbook"_s, u"textbook"_s);
    for (auto it = values.cbegin(); it != values.cend(); ++it) settings.setValue(it.key(), it.value());
    dropOldestPlaces(settings);
    settings.sync();
}

// The changed values, taken out of the changed set.
QHash<QString, QVariant> takeChanged() {
    Memory& m = memory();
    QHash<QString, QVariant> values;
    for (const QString& key : std::as_const(m.changed)) values.insert(key, m.values.value(key));
    m.changed.clear();
    return values;
}

}  // namespace

int ZoomPercent() {
    bool ok = false;
    const int percent = setting(kZoomKey).toInt(&ok);
    return ok ? percent : 100;
}

void KeepZoomPercent(int percent) { keep(kZoomKey, percent); }

double PlaceInPage(const QString& user, const QString& page) {
    return qMax(0.0, parsePlace(setting(placeKey(user, page))).at);
}

void KeepPlaceInPage(const QString& user, const QString& page, double at) {
    // Visits within one millisecond keep their order.
    Memory& m = memory();
    m.lastVisit = qMax(QDateTime::currentMSecsSinceEpoch(), m.lastVisit + 1);
    keep(placeKey(user, page),
         QStringList{QString::number(qBound(0.0, at, 1.0), 'f', 5), QString::number(m.lastVisit)});
}

QString LastReadPage(const QString& user, const QStringList& pages) {
    QString last;
    qint64 lastVisit = -1;
    for (const QString& page : pages) {
        const qint64 visit = parsePlace(setting(placeKey(user, page))).visit;
        if (visit > lastVisit) {
            last = page;
            lastVisit = visit;
        }
    }
    return last;
}

void StoreReaderSettings() {
    if (memory().changed.isEmpty()) return;
    writer().start([values = takeChanged()] { write(values); });
}

void StoreReaderSettingsNow() {
    writer().waitForDone();
    const QHash<QString, QVariant> values = takeChanged();
    if (!values.isEmpty()) write(values);
    memory() = Memory();
}
