#include "Fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace {
const QString kInter = QStringLiteral("Inter");
}

bool Fonts::hasInter()
{
    static const bool present = QFontDatabase::families().contains(kInter);
    return present;
}

QFont Fonts::ui(int pixelSize, QFont::Weight weight)
{
    QFont font = hasInter() ? QFont(kInter) : QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void Fonts::install()
{
    if (hasInter())
        QApplication::setFont(ui(13));
}
