// The core's texts (app/UiTexts.h) as the windows take them.
#pragma once

#include "app/UiTexts.h"

#include <QString>

#include <string_view>

inline QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
