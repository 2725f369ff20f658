#include "PlaceholderScreen.h"

#include "style/Color.h"
#include "style/GlassModifier.h"
#include "style/TextLabel.h"

#include <QVBoxLayout>

PlaceholderScreen::PlaceholderScreen(const QString& title, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    auto* card = new GlassModifier(16, 16, this);
    card->body()->addWidget(new TextLabel(title, 16, QFont::DemiBold, Color::white95(), card));
    card->body()->addStretch(1);
    layout->addWidget(card);
}
