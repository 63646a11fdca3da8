#pragma once

#include <QString>

class Image;
class QWidget;

// Gives a borderless window its look: the background picture (a JPEG resource) into its picture
// control beneath every other control, the mask's size as the window's size, and the mask's
// non-white pixels as the window's outline, so that clicks in the cut-outs reach whatever lies
// behind. A missing or undecodable picture or mask is a Failure at that step; the window then
// keeps its rectangular described size.
void ShapeWindow(QWidget* window, Image* background, const QString& pictureResource, const QString& maskResource);
