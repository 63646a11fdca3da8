#pragma once

#include <QDir>
#include <QString>

#include "content/rules/ContentRules.h"
#include "platform/failure/Failure.h"

// Whether the address rule must take a page name: it refuses only what could lead out of the
// language's directory, a "/" or a NUL anywhere in the name and the names "." and "..". Every other
// name, however odd, is a file in that directory.
inline bool isOrdinaryPageName(const QString& pageName) {
    return !pageName.contains(u'/') && !pageName.contains(QChar(u'\0')) && pageName != u"." && pageName != u"..";
}

// The rule every page and section address keeps, whatever the page name: an ordinary name gives an
// address whose file, made absolute and cleaned, is the name followed by ".htm" directly in the
// language's directory under the content root, and the file its URL names lies in that directory
// too; any other name is refused with a Failure. Returns an empty text when the rule holds, else
// what went wrong.
inline QString checkAddress(const QString& root, Language language, const QString& pageName, int section) {
    const QString directory = QDir::cleanPath(QDir(root).absolutePath() + u'/' + PageDirectory(language)) + u'/';
    const bool ordinary = isOrdinaryPageName(pageName);
    QString address;
    try {
        address =
            section > 0 ? SectionAddress(root, language, pageName, section) : PageAddress(root, language, pageName);
    } catch (const platform::Failure& failure) {
        return ordinary ? QStringLiteral("an ordinary name was refused: %1").arg(failure.message()) : QString();
    }
    if (!ordinary) return QStringLiteral("a name that could leave %1 was taken: %2").arg(directory, address);
    const QString suffix = section > 0 ? QStringLiteral(".htm#a") + QString::number(section) : QStringLiteral(".htm");
    if (!address.endsWith(suffix)) return QStringLiteral("no %1 at the end: %2").arg(suffix, address);
    const QString file = address.chopped(suffix.size() - 4);
    const QString cleaned = QDir::cleanPath(QDir(root).absoluteFilePath(file));
    if (!cleaned.startsWith(directory)) return QStringLiteral("address %1 leaves %2").arg(address, directory);
    if (cleaned != directory + pageName + QStringLiteral(".htm"))
        return QStringLiteral("address %1 names another file than %2%3.htm").arg(address, directory, pageName);
    const QString urlFile = QDir::cleanPath(AddressUrl(address).toLocalFile());
    if (!urlFile.startsWith(directory)) return QStringLiteral("URL of %1 leaves %2").arg(address, directory);
    return {};
}
