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
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TDataModule5* DataModule5;
extern TForm6* Form6;
extern TForm7* Form7;
extern TForm8* Form8;
extern TForm9* Form9;

// Creates the whole set, each window built and then its creation handler run; none is shown.
void CreateWindowSet();
// Destroys the set in reverse order; a changed register row still pending is stored first.
void DestroyWindowSet();
