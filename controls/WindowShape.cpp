#include "WindowShape.h"

#include <QWidget>

#include "Image.h"
#include "Pictures.h"
#include "app/shaping/MaskRegion.h"

void ShapeWindow(QWidget* window, Image* background, const QString& pictureResource, const QString& maskResource) {
    background->setPicture(LoadJpegPicture(pictureResource));
    background->lower();
    const QImage mask = LoadMask(maskResource);
    window->resize(window->width(), mask.height());
    window->resize(mask.width(), mask.height());
    window->setMask(CreateMaskRegion(mask));
}
