#pragma once

#include <QString>
#include <QStringList>

// The reader's own settings: the zoom of the pages and where each register user left each page.
// They are kept for the person using the computer, in the desktop's standard place
// ($XDG_CONFIG_HOME/textbook/textbook.conf, by default ~/.config/textbook/textbook.conf), so that
// each user of a lab machine has their own. Read when first needed (as the viewer's browser starts,
// never at the program's start); changes are kept in memory and written when a viewer is hidden, in the background,
// since a file that is made durable costs tens of milliseconds on a slow disk.

// The zoom of every course page in percent as stored: 100 when none is (or not a number).
int ZoomPercent();
void KeepZoomPercent(int percent);

// Where a register user left a page (its file): the share of the page above the top of the window,
// from 0 (its top) to 1; 0 for a page never read.
double PlaceInPage(const QString& user, const QString& page);
void KeepPlaceInPage(const QString& user, const QString& page, double at);
// Of the given pages, the one the user left last; empty when the user read none of them.
QString LastReadPage(const QString& user, const QStringList& pages);

// Writes what changed since the last time, in the background.
void StoreReaderSettings();
// Writes what changed and waits until all is written; then forgets what it read, so that the
// settings are read afresh from the file at the next need (the window set is gone).
void StoreReaderSettingsNow();
