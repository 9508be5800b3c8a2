// The program icon from the compiled-in PNGs.
#include "app/AppIcon.h"

#include <QString>

QIcon amplixIcon() {
    QIcon icon;
    for (int size : kAmplixIconSizes)
        icon.addFile(QStringLiteral(":/icons/amplix32-%1.png").arg(size), QSize(size, size));
    return icon;
}
