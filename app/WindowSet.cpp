#include "WindowSet.h"

#include <QtGlobal>

#include "Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "platform/Fonts.h"
#include "platform/Handler.h"
#include "testing/Unit4.h"
#include "testing/Unit7.h"
#include "translations/Translations.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TDataModule5* DataModule5 = nullptr;
TForm6* Form6 = nullptr;
TForm7* Form7 = nullptr;
TForm8* Form8 = nullptr;
TForm9* Form9 = nullptr;

namespace {

template <class Window>
Window* create() {
    auto* window = new Window();
    platform::runGuarded([window] { window->FormCreate(); });
    return window;
}

template <class Window>
void destroy(Window*& window) {
    delete window;
    window = nullptr;
}

}  // namespace

void CreateWindowSet() {
    // The pictures live in the windows library, which is linked statically.
    Q_INIT_RESOURCE(images);
    UseStandInFonts();
    // The program speaks Russian until the student chooses Kazakh.
    translations::useLanguage(QLocale::Russian);
    Form1 = create<TForm1>();
    TForm::setAnchor(Form1);
    Form2 = create<TForm2>();
    Form3 = create<TForm3>();
    Form4 = create<TForm4>();
    DataModule5 = new TDataModule5();
    Form4->BindDataSources();
    Form6 = create<TForm6>();
    Form7 = create<TForm7>();
    Form8 = create<TForm8>();
    Form9 = create<TForm9>();
}

void DestroyWindowSet() {
    if (DataModule5) platform::runGuarded([] { DataModule5->StorePendingChanges(); });
    destroy(Form9);
    destroy(Form8);
    destroy(Form7);
    destroy(Form6);
    destroy(Form4);  // its controls are bound to the data module's sources
    destroy(DataModule5);
    destroy(Form3);
    destroy(Form2);
    destroy(Form1);
    translations::dropLanguage();
}
