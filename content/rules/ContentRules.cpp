#include "ContentRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include "platform/failure/Failure.h"

QString QuestionBankTable(Language language) {
    return language == Language::Russian ? QStringLiteral("test") : QStringLiteral("test_kz");
}

QString PageDirectory(Language language) {
    return language == Language::Russian ? QStringLiteral("web") : QStringLiteral("web_kz");
}

namespace {

void requireSafePageName(const QString& pageName) {
    if (pageName.contains(u'/') || pageName.contains(QChar(u'\0')) || pageName == u"." || pageName == u"..")
        throw platform::Failure(QCoreApplication::translate("ContentRules", "Invalid page name %1").arg(pageName));
}

// The content root joined with a directory, the separator added verbatim (so a root of "/"
// gives "//web/").
QString join(const QString& contentRoot, const QString& directory) { return contentRoot + u'/' + directory + u'/'; }

// Makes an address absolute; doubled separators collapse, so "//web/..." is "/web/...".
QString expand(const QString& address) {
    const QString absolute = QDir::isAbsolutePath(address) ? address : QDir::current().absoluteFilePath(address);
    QString result;
    result.reserve(absolute.size());
    for (const QChar c : absolute)
        if (!(c == u'/' && result.endsWith(u'/'))) result += c;
    return result;
}

}  // namespace

QString PageAddress(const QString& contentRoot, Language language, const QString& pageName) {
    requireSafePageName(pageName);
    return expand(join(contentRoot, PageDirectory(language)) + pageName + QStringLiteral(".htm"));
}

QString SectionAddress(const QString& contentRoot, Language language, const QString& pageName, int section) {
    requireSafePageName(pageName);
    return expand(join(contentRoot, PageDirectory(language)) + pageName + QStringLiteral(".htm#a") +
                  QString::number(section));
}

QString VideoPath(const QString& contentRoot, int video) {
    return join(contentRoot, QStringLiteral("video")) + QString::number(video) + QStringLiteral(".avi");
}

QUrl AddressUrl(const QString& address) {
    static const QRegularExpression section(QStringLiteral("^(.*\\.htm)#(a\\d+)$"));
    const QRegularExpressionMatch match = section.match(address);
    QUrl url = QUrl::fromLocalFile(match.hasMatch() ? match.captured(1) : address);
    if (match.hasMatch()) url.setFragment(match.captured(2));
    return url;
}

QString PageFile(const QUrl& url) { return QDir::cleanPath(url.toLocalFile()); }

QString MenuChapterText(const QString& parentCaption, const QString& caption) { return parentCaption + caption; }
