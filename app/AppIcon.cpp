// The program icon from the compiled-in PNGs.
#include "app/AppIcon.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QString>

QIcon amplixIcon(int largest) {
    QIcon icon;
    for (int size : kAmplixIconSizes) {
        if (size > largest)
            break;
        // Named as PNG and not guessed, so the reader goes straight to its built-in decoder
        // instead of loading every image-format plugin to ask whether it knows the file.
        QImageReader reader(QStringLiteral(":/icons/amplix32-%1.png").arg(size), "PNG");
        reader.setAutoDetectImageFormat(false);
        const QImage drawing = reader.read();
        if (!drawing.isNull())
            icon.addPixmap(QPixmap::fromImage(drawing));
    }
    return icon;
}
