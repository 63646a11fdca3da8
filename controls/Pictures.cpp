#include "Pictures.h"

#include <QCoreApplication>
#include <QFile>

#include "Image.h"
#include "app/shaping/JpegDecode.h"
#include "platform/Handler.h"
#include "platform/failure/Failure.h"

QImage LoadJpegPicture(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Failure(QCoreApplication::translate("Pictures", "Cannot read the picture %1: %2")
                                    .arg(resource, file.errorString()));
    return DecodeJpeg(file.readAll());
}

void LoadEmblem(Image* control) {
    platform::runGuarded([control] { control->setPicture(LoadJpegPicture(QStringLiteral(":/images/emblem.jpg"))); });
}

QList<QIcon> TreePictures() {
    const QPixmap strip(QStringLiteral(":/images/treeicons.png"));
    QList<QIcon> pictures;
    for (int i = 0; i < 5; ++i) pictures << QIcon(strip.copy(i * 16, 0, 16, 16));
    return pictures;
}
