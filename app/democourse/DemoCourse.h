#pragma once

#include <QString>

// The demo course a user starts from the desktop's menu. The installed course is read-only, so each
// user works in a copy of their own. Its pages, stylesheet and videos follow the installed course:
// each start brings any file that differs up to date, so a package upgrade reaches them. Its course
// database is copied only when the copy has none, and is the user's from then on: registered users
// and their chapters survive upgrades.

// The installed demo course of the program in `programDir`: <prefix>/share/textbook/course for
// <prefix>/bin.
QString InstalledDemoCourse(const QString& programDir);

// The user's copy: textbook/course in the user's data folder ($XDG_DATA_HOME, ~/.local/share).
QString UserDemoCourse();

// Makes `copy` hold every file of `installed`. Each file is written beside its place and renamed
// into it when complete, so a start that is interrupted leaves whole files or none, and the next
// start completes the copy; two starts at once never replace each other's database. Throws a
// platform::Failure whose message tells the user what failed.
void PrepareDemoCourse(const QString& installed, const QString& copy);

// The menu entry's start: prepares the user's copy of the installed course of the program in
// `programDir` and makes it the working directory, the content root the windows take.
void EnterDemoCourse(const QString& programDir);
