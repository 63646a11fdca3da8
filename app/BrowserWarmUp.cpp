#include "BrowserWarmUp.h"

#include <QUrl>
#include <memory>

#include "content/CoursePage.h"

namespace {
bool enabled = false;
bool started = false;
std::unique_ptr<CoursePage> blank;
}  // namespace

void EnableBrowserWarmUp() { enabled = true; }

bool BrowserWarmUpEnabled() { return enabled; }

void StartBrowserEngine() {
    if (!enabled || started) return;
    started = true;
    blank = std::make_unique<CoursePage>();
    blank->setUrl(QUrl(QStringLiteral("about:blank")));
}

void ReleaseBrowserWarmUp() { blank.reset(); }
