#include "TrayStatusItem.h"

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

TrayStatusItem::TrayStatusItem() : m_menu(new QMenu), m_tray(std::make_unique<QSystemTrayIcon>())
{
    m_tray->setIcon(QIcon(QPixmap::fromImage(icon({}))));
    // A click opens the menu, as it does on a menu-bar item; the tray's own context menu answers
    // the other button.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && m_menu && !m_entries.isEmpty())
            m_menu->popup(QCursor::pos());
    });
    m_tray->show();
}

TrayStatusItem::~TrayStatusItem()
{
    remove();
}

void TrayStatusItem::setTitle(const QString& title)
{
    if (!m_tray)
        return;
    m_tray->setToolTip(title);
    m_tray->setIcon(QIcon(QPixmap::fromImage(icon(title))));
}

void TrayStatusItem::setMenu(const QList<MenuEntry>& entries)
{
    if (!m_tray)
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
    m_tray->setContextMenu(m_menu.get());
}

void TrayStatusItem::setMenuTitle(qsizetype position, const QString& title)
{
    if (position >= 0 && position < m_entries.size())
        m_entries[position]->setText(title);
}

void TrayStatusItem::remove()
{
    if (!m_tray)
        return;
    m_tray->hide();
    m_tray.reset();
    m_entries.clear();
    m_menu->hide();
    m_menu.reset();
}

QStringList TrayStatusItem::iconRows(const QString& title)
{
    QStringList rows;
    const QStringList words = title.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i].endsWith(u'%'))
            continue;
        const bool hasFigure = i + 1 < words.size() && words[i + 1].endsWith(u'%');
        rows.append(hasFigure ? words[i + 1].chopped(1) : QStringLiteral("–"));
    }
    return rows;
}

QImage TrayStatusItem::icon(const QString& title)
{
    QImage image(iconSize, iconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QStringList rows = iconRows(title);
    if (rows.isEmpty())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setBrush(QColor(10, 14, 30, 230));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(image.rect()), 10, 10);

    // The tray shrinks the icon to a few pixels, so the figures take all the room there is.
    const qreal rowHeight = qreal(iconSize) / rows.size();
    QFont font = Fonts::ui(int(rowHeight), QFont::Bold);
    const auto widest = [&] {
        const QFontMetricsF metrics(font);
        qreal width = 0;
        for (const QString& row : rows)
            width = std::max(width, metrics.horizontalAdvance(row));
        return width;
    };
    while (font.pixelSize() > 6 && widest() > iconSize - 4)
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (qsizetype i = 0; i < rows.size(); ++i)
        painter.drawText(QRectF(0, i * rowHeight, iconSize, rowHeight), Qt::AlignCenter, rows[i]);
    return image;
}
