#include "AppStyle.h"

#include "Color.h"
#include "ControlStyle.h"
#include "Fonts.h"
#include "KeyboardFocus.h"
#include "ReturnKey.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

void AppStyle::install()
{
    if (QStyle* fusion = QStyleFactory::create("Fusion"))
        QApplication::setStyle(new ControlStyle(fusion));

    QPalette palette;
    const QColor panel = Color::fromHex("1c1c2e");
    palette.setColor(QPalette::Window, Color::bgIndigo());
    palette.setColor(QPalette::WindowText, Color::white95());
    palette.setColor(QPalette::Base, Color::bgDeep());
    palette.setColor(QPalette::AlternateBase, panel);
    palette.setColor(QPalette::Text, Color::white95());
    palette.setColor(QPalette::Button, panel);
    palette.setColor(QPalette::ButtonText, Color::white95());
    palette.setColor(QPalette::ToolTipBase, panel);
    palette.setColor(QPalette::ToolTipText, Color::white95());
    palette.setColor(QPalette::Highlight, Color::neonCyan());
    palette.setColor(QPalette::HighlightedText, Color::bgDeep());
    palette.setColor(QPalette::PlaceholderText, Color::white50());
    palette.setColor(QPalette::Disabled, QPalette::Text, Color::white50());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, Color::white50());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Color::white50());
    QApplication::setPalette(palette);
    // The last watcher installed sees a key first: KeyboardFocus holds keys back from a control that
    // only has the focus while the one pressed is busy, Enter among them.
    ReturnKey::install();
    KeyboardFocus::install();
    Fonts::install();
}
