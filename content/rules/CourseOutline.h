#pragma once

#include <QList>
#include <QString>

#include "ContentRules.h"

// The outline of the course as data: the chapter tree of each main window and the week menu of
// each content viewer. The windows build their tree and menu from these tables, and
// `coursedb check` asks a content root for exactly the pages, sections and videos they open.
//
// Labels and captions are page names and chapter texts exactly as stored: the double space in
// "Лабораторная  работа №3", the missing space in "Зертханалық жұмыс№1", the "8 Тарау" among the
// Kazakh weeks and the "Ј" of "Јдебиет" are data, not typing errors. Keep them byte for byte.

// Pictures of the chapter tree: indexes into the main window's list of five pictures.
enum TreePicture {
    FolderPicture = 0,
    PagePicture = 1,
    ClosedBookPicture = 2,  // in the list, used by no entry
    OpenBookPicture = 3,
    VideoPicture = 4,
};

struct ChapterItem {
    QString label;  // also the chapter text recorded when it is opened
    int normalPicture;
    int selectedPicture;
};

// A top-level entry of the chapter tree. Its label is the page it opens; its items are the
// sections a1, a2, a3 of that page in order, or, under the video root, the videos 1 to 5.
struct ChapterEntry {
    QString label;
    int normalPicture;
    int selectedPicture;
    QList<ChapterItem> items;
};

// Tags of the week menu: what choosing an item does.
constexpr int kExitTag = 0;
constexpr int kPageTag = 1;  // the page named by the caption; on a week item: only opens its submenu
constexpr int kVideoSubmenuTag = 11;
constexpr int kTestTag = 13;
// Tags 2 to 9: section tag - 1 of the page named by the parent's caption (MenuSection).
// Tags 21 to 25: video tag - 20 (MenuVideo).

struct MenuItem {
    QString caption;
    int tag;
    // False for the three items that carry a tag but were never given an action of their own:
    // Russian "Лабораторная работа№7" under "7 Неделя", Kazakh "Дәріс" and "Зертханалық жұмыс№1"
    // under "1 Апта". The viewers let them act like their twins; their sections are required of
    // the content either way, since the chapter tree opens the same ones.
    bool wired = true;
};

// An item of the menu bar with its submenu (empty for the items that act themselves).
struct MenuEntry {
    QString caption;
    int tag;
    QList<MenuItem> items;
};

// The eighteen top-level entries of a main window's chapter tree, in order.
const QList<ChapterEntry>& ChapterTree(Language language);
// The menu bar of a content viewer, in order: introduction, fifteen weeks, videos, literature,
// test, exit.
const QList<MenuEntry>& WeekMenu(Language language);

// The label of the chapter tree's video root, "Видео" or "Видеоматериал"; its items play videos.
QString VideoRootLabel(Language language);

// The section a menu tag opens (tags 2 to 9 give 1 to 8), otherwise 0.
int MenuSection(int tag);
// The video a menu tag plays (tags 21 to 25 give 1 to 5), otherwise 0.
int MenuVideo(int tag);

// A page of a language with one of its sections (0: the whole page).
struct ChapterPlace {
    QString page;
    int section = 0;
    bool operator==(const ChapterPlace&) const = default;
};

// The pages and sections whose opening records this chapter text: by the chapter tree (a page's
// label, or a section's label alone) or by the week menu (a page's caption, or the week's caption
// followed by the section's). Videos record nothing and so are never among them. A section label
// that several weeks share ("Лекция") gives each of those sections, tree first, each place once.
QList<ChapterPlace> ChapterPlaces(Language language, const QString& chapter);
