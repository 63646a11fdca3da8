#pragma once

#include <QLocale>

// The language the program's own messages speak, and Qt's own dialogs and standard buttons with
// them. The program's texts are written in English, as the course team's command (which shares
// the database layer and loads no translation) prints them; Russian and Kazakh are translations
// built into the program. Qt has no Kazakh translation of its own: its dialogs and buttons speak
// Russian in both languages.
namespace translations {

// Russian or Kazakh from now on (any other language is taken as Russian). The language already
// in use changes nothing.
void useLanguage(QLocale::Language language);
// Back to the texts as written, as before the first useLanguage().
void dropLanguage();

}  // namespace translations
