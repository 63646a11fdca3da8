#pragma once

#include <QDir>
#include <QString>

#include "ContentRules.h"
#include "Failure.h"

// The rule every page and section address keeps, whatever the page name: the address, made absolute
// and cleaned, lies inside the language's directory under the content root, and so does the file
// its URL names; or the name is refused with a Failure. Returns an empty text when the rule holds,
// else what went wrong.
inline QString checkAddress(const QString& root, Language language, const QString& pageName, int section) {
    const QString directory = QDir::cleanPath(QDir(root).absolutePath() + u'/' + PageDirectory(language)) + u'/';
    QString address;
    try {
        address =
            section > 0 ? SectionAddress(root, language, pageName, section) : PageAddress(root, language, pageName);
    } catch (const platform::Failure&) {
        return {};
    }
    const QString suffix = section > 0 ? QStringLiteral(".htm#a") + QString::number(section) : QStringLiteral(".htm");
    if (!address.endsWith(suffix)) return QStringLiteral("no %1 at the end: %2").arg(suffix, address);
    const QString file = address.chopped(suffix.size() - 4);
    const QString cleaned = QDir::cleanPath(QDir(root).absoluteFilePath(file));
    if (!cleaned.startsWith(directory)) return QStringLiteral("address %1 leaves %2").arg(address, directory);
    const QString urlFile = QDir::cleanPath(AddressUrl(address).toLocalFile());
    if (!urlFile.startsWith(directory)) return QStringLiteral("URL of %1 leaves %2").arg(address, directory);
    return {};
}
