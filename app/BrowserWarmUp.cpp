#include "BrowserWarmUp.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <memory>

namespace {
bool enabled = false;
bool started = false;
std::unique_ptr<QWebEnginePage> blank;
}  // namespace

void EnableBrowserWarmUp() { enabled = true; }

bool BrowserWarmUpEnabled() { return enabled; }

void StartBrowserEngine() {
    if (!enabled || started) return;
    started = true;
    blank = std::make_unique<QWebEnginePage>(QWebEngineProfile::defaultProfile());
    blank->setUrl(QUrl(QStringLiteral("about:blank")));
}

void ReleaseBrowserWarmUp() { blank.reset(); }
