#pragma once

#include <QString>
#include <QUrl>

enum class Language { Russian, Kazakh };

// The question bank of a language: "test" or "test_kz".
QString QuestionBankTable(Language language);
// The directory of a language's pages under the content root: "web" or "web_kz".
QString PageDirectory(Language language);

// The address of a whole page: content root, the language's directory, the page name, ".htm",
// made absolute. A page name that would leave the language's directory is refused (Failure).
QString PageAddress(const QString& contentRoot, Language language, const QString& pageName);
// The address of one section of a week's page: as PageAddress, followed by "#a" and the number.
QString SectionAddress(const QString& contentRoot, Language language, const QString& pageName, int section);
// The path of a video: content root, "video", the number, ".avi".
QString VideoPath(const QString& contentRoot, int video);

// The file URL a page or section address stands for; a trailing "#a<n>" becomes the fragment,
// anything else (a "#", "%" or "?" in a page name) stays part of the file name.
QUrl AddressUrl(const QString& address);
// The page file a URL shows, without its section: what the reader's places are kept by.
QString PageFile(const QUrl& url);

// Chapter text recorded for a week-menu item: the parent's caption followed by the item's.
QString MenuChapterText(const QString& parentCaption, const QString& caption);
