#include "TrayStatusItem.h"

#include "style/Color.h"
#include "style/Fonts.h"

#include <QAction>
#include <QCursor>
#include <QFontMetricsF>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <algorithm>

namespace {

QString css(const QColor& color)
{
    return color.name(QColor::HexArgb);
}

// A title's words as readings: each label with its figure, empty when it has none.
QList<std::pair<QString, QString>> readings(const QString& title)
{
    QList<std::pair<QString, QString>> list;
    const QStringList words = title.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i].endsWith(u'%'))
            continue;
        const bool hasFigure = i + 1 < words.size() && words[i + 1].endsWith(u'%');
        list.append({words[i], hasFigure ? words[i + 1] : QString()});
    }
    return list;
}

} // namespace

TrayStatusItem::TrayStatusItem(std::shared_ptr<StatusAreaWatcher> watcher)
    : m_menu(new QMenu), m_watcher(std::move(watcher))
{
    m_menu->setStyleSheet(QStringLiteral("QMenu { background: %1; border: 1px solid %2; padding: 4px 0; }"
                                         "QMenu::item { color: %3; padding: 5px 22px; }"
                                         "QMenu::item:disabled { color: %4; }"
                                         "QMenu::item:selected:enabled { background: %5; color: %6; }"
                                         "QMenu::separator { height: 1px; background: %7; margin: 4px 10px; }")
                              .arg(css(Color::bgDeep()), css(Color::white20()), css(Color::white95()),
                                   css(Color::white50()), css(Color::neonCyan()), css(Color::bgDeep()),
                                   css(Color::white50())));
    connect(m_watcher.get(), &StatusAreaWatcher::changed, this, &TrayStatusItem::place);
    place();
}

TrayStatusItem::~TrayStatusItem()
{
    remove();
}

void TrayStatusItem::place()
{
    if (m_removed || m_tray || m_placing || !m_watcher->isAvailable())
        return;
    m_placing = true;
    m_watcher->afterNextAnswer(this, [this] {
        m_placing = false;
        if (!m_removed && !m_tray && m_watcher->isAvailable())
            makeIcon();
    });
}

void TrayStatusItem::makeIcon()
{
    m_watcher->iconAboutToBeMade();
    m_tray = std::make_unique<QSystemTrayIcon>();
    m_tray->setIcon(QIcon(QPixmap::fromImage(icon(m_title))));
    if (!m_title.isEmpty())
        m_tray->setToolTip(toolTip(m_title));
    // A click opens the menu, as it does on a menu-bar item; the tray's own context menu answers
    // the other button.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && m_menu && !m_entries.isEmpty())
            m_menu->popup(QCursor::pos());
    });
    if (!m_entries.isEmpty())
        m_tray->setContextMenu(m_menu.get());
    m_tray->show();
}

void TrayStatusItem::setTitle(const QString& title)
{
    if (m_removed)
        return;
    m_title = title;
    if (!m_tray)
        return;
    m_tray->setToolTip(toolTip(title));
    m_tray->setIcon(QIcon(QPixmap::fromImage(icon(title))));
}

void TrayStatusItem::setMenu(const QList<MenuEntry>& entries)
{
    if (m_removed)
        return;
    m_menu->clear();
    m_entries.clear();
    for (const MenuEntry& entry : entries) {
        QAction* action = nullptr;
        switch (entry.kind) {
        case MenuEntry::Kind::Separator: action = m_menu->addSeparator(); break;
        case MenuEntry::Kind::Text:
            action = m_menu->addAction(entry.title);
            action->setEnabled(false);
            break;
        case MenuEntry::Kind::Quit:
            action = m_menu->addAction(entry.title);
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
            connect(action, &QAction::triggered, this, &StatusItem::quitChosen);
            break;
        }
        m_entries.append(action);
    }
    if (m_tray)
        m_tray->setContextMenu(m_menu.get());
}

void TrayStatusItem::setMenuTitle(qsizetype position, const QString& title)
{
    if (position >= 0 && position < m_entries.size())
        m_entries[position]->setText(title);
}

void TrayStatusItem::remove()
{
    if (m_removed)
        return;
    m_removed = true;
    m_entries.clear();
    m_menu->hide();
    if (m_tray)
        retireIcon();
    else
        m_menu.reset();
}

void TrayStatusItem::retireIcon()
{
    // The icon takes its menu along: the tray may still show that menu until the icon is gone.
    disconnect(m_tray.get(), nullptr, this, nullptr);
    QSystemTrayIcon* tray = m_tray.release();
    QMenu* menu = m_menu.release();
    m_watcher->afterNextAnswer(tray, [tray, menu] {
        delete tray;
        menu->deleteLater();
    });
}

QString TrayStatusItem::iconFigure(const QString& title)
{
    const auto list = readings(title);
    if (list.isEmpty())
        return {};
    return list.first().second.isEmpty() ? QStringLiteral("–") : list.first().second.chopped(1);
}

QString TrayStatusItem::toolTip(const QString& title)
{
    QStringList words;
    for (const auto& [label, figure] : readings(title))
        words << label << (figure.isEmpty() ? QStringLiteral("n/a") : figure);
    return words.join(u' ');
}

QImage TrayStatusItem::icon(const QString& title)
{
    QImage image(iconSize, iconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QString figure = iconFigure(title);
    if (figure.isEmpty())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setBrush(QColor(10, 14, 30, 230));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(image.rect()), 10, 10);

    // The tray shrinks the icon to a few pixels, so the figure takes all the room there is.
    QFont font = Fonts::ui(iconSize * 3 / 4, QFont::Bold);
    font.setPixelSize(iconSize * 3 / 4);
    while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(figure) > iconSize - 4)
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(image.rect()), Qt::AlignCenter, figure);
    return image;
}
