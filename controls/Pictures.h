#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>

class Image;

// Decodes one of the program's own JPEG pictures (a resource path such as ":/images/emblem.jpg");
// a missing or undecodable picture is a Failure.
QImage LoadJpegPicture(const QString& resource);
// Shows the emblem picture in a picture control.
void LoadEmblem(Image* control);
// The five 16 x 16 pictures of the chapter trees: folder, page, closed book, open book, video.
QList<QIcon> TreePictures();
