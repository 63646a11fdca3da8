#pragma once

// The browser engine takes a noticeable moment to start. The program starts it once the language
// window is on screen (so that start-up does not wait for it) and before the first page is asked
// for (so that the page does not wait either). Tests leave it off.
void EnableBrowserWarmUp();
bool BrowserWarmUpEnabled();
// Starts the engine in the background with an empty page, once.
void StartBrowserEngine();
// Drops the empty page once a viewer holds a page of its own.
void ReleaseBrowserWarmUp();
