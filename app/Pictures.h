#pragma once

#include <QImage>
#include <QString>

class Image;

// Decodes one of the program's own JPEG pictures (a resource path such as ":/images/emblem.jpg");
// a missing or undecodable picture is a Failure.
QImage LoadJpegPicture(const QString& resource);
// Shows the emblem picture in a picture control.
void LoadEmblem(Image* control);
