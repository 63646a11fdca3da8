#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

namespace translations {

namespace {

struct Installed {
    std::vector<std::unique_ptr<QTranslator>> qt;  // Qt's own texts in Russian, for both languages
    std::unique_ptr<QTranslator> program;
    QLocale::Language language = QLocale::AnyLanguage;
};

Installed& installed() {
    static Installed state;
    return state;
}

std::unique_ptr<QTranslator> install(const QString& file, const QString& directory) {
    auto translator = std::make_unique<QTranslator>();
    // A catalogue that is not there (Qt's, without its Debian package) leaves those texts as written.
    if (!translator->load(file, directory)) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

}  // namespace

void useLanguage(QLocale::Language language) {
    if (language != QLocale::Kazakh) language = QLocale::Russian;
    Installed& state = installed();
    if (language == state.language) return;
    if (state.qt.empty()) {
        const QString qtDirectory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        for (const char* catalogue : {"qtbase_ru", "qtwebengine_ru"})
            if (auto translator = install(QString::fromLatin1(catalogue), qtDirectory))
                state.qt.push_back(std::move(translator));
    }
    // Installed last, so searched first: the program's own texts before Qt's.
    state.program = install(language == QLocale::Kazakh ? QStringLiteral("textbook_kk") : QStringLiteral("textbook_ru"),
                            QStringLiteral(":/translations"));
    state.language = language;
}

void dropLanguage() {
    Installed& state = installed();
    state.program.reset();
    state.qt.clear();
    state.language = QLocale::AnyLanguage;
}

}  // namespace translations
