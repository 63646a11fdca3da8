#pragma once

class TForm1;
class TMainForm;
class TForm2;
class TForm3;
class TForm4;
class TDataModule5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;

// The window set: one instance of each window, created once in this order and destroyed at exit.
extern TForm1* Form1;              // app/Unit1: the language window, the controlling one
extern TForm2* Form2;              // content/Unit2: the Russian main window
extern TForm3* Form3;              // content/Unit3: the Russian content viewer
extern TForm4* Form4;              // testing/Unit4: the testing window
extern TDataModule5* DataModule5;  // data/Unit5: the course database (not a window)
extern TForm6* Form6;              // data/Unit6: the user register
extern TForm7* Form7;              // testing/Unit7: the test results
extern TForm8* Form8;              // content/Unit8: the Kazakh main window
extern TForm9* Form9;              // content/Unit9: the Kazakh content viewer

// Creates the whole set, each window built and then its creation handler run; none is shown. The
// program's messages and Qt's dialogs speak Russian from here on (translations/).
void CreateWindowSet();
// Destroys the set in reverse order; a changed register row still pending is stored first. The
// translations go with it.
void DestroyWindowSet();
