#include "TrayStatusItem.h"

#include "style/Color.h"
#include "style/Fonts.h"

#include <QAction>
#include <QCoreApplication>
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

// A tray icon taken away while the bus that leads to its tray does not answer yet, with its menu,
// until the icon can unregister without holding the main thread up. The watcher owns it meanwhile,
// so it goes with the watcher at the latest; but where the bus did not answer last, deleting it
// then would hold the end of the process for the bus's whole time-out, so the icon is left to that
// end. Its Quit still quits: the item it belonged to is gone.
class RetiredTrayIcon final : public QObject {
public:
    RetiredTrayIcon(std::unique_ptr<QSystemTrayIcon> icon, QMenu* menu, QAction* quit, StatusAreaWatcher& watcher)
        : QObject(&watcher), m_menu(menu), m_icon(std::move(icon)), m_busAnswers(watcher.isAnswering())
    {
        connect(&watcher, &StatusAreaWatcher::changed, this, [this, &watcher] { m_busAnswers = watcher.isAnswering(); });
        if (quit)
            connect(quit, &QAction::triggered, this, [] { QCoreApplication::quit(); });
        watcher.afterNextAnswer(this, [this] {
            m_busAnswers = true;
            delete this;
        });
    }

    ~RetiredTrayIcon() override
    {
        if (m_busAnswers)
            return;
        [[maybe_unused]] QSystemTrayIcon* left = m_icon.release();
        [[maybe_unused]] QMenu* leftMenu = m_menu.release();
    }

private:
    // The icon first: it shows the menu.
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    bool m_busAnswers;
};

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
            m_quit = action;
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
    if (m_tray && m_watcher->iconsGoThroughTheBus()) {
        // The icon takes its menu along: the tray may still show that menu until the icon is gone.
        disconnect(m_tray.get(), nullptr, this, nullptr);
        if (m_quit)
            disconnect(m_quit, nullptr, this, nullptr);
        new RetiredTrayIcon(std::move(m_tray), m_menu.release(), m_quit, *m_watcher);
        return;
    }
    m_tray.reset();
    m_menu.reset();
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
