#include "AppMessageBox.h"

#include "Color.h"
#include "Symbols.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QSpacerItem>
#include <cmath>

namespace {

constexpr int kSymbolSize = 40;
// What a title bar keeps beside the title: its margins and the close, maximise and minimise buttons.
constexpr int kTitleBarChrome = 160;
constexpr int kLongestUnbrokenLine = 440;

QPixmap symbolPixmap(AppMessageBox::Kind kind, qreal pixelRatio)
{
    QString name = "questionmark.circle.fill";
    QColor color = Color::neonCyan();
    if (kind == AppMessageBox::Kind::warning) {
        name = "exclamationmark.triangle.fill";
        color = Color::statusWarning();
    } else if (kind == AppMessageBox::Kind::done) {
        name = "checkmark.circle.fill";
        color = Color::statusGood();
    }
    QPixmap pixmap(QSize(kSymbolSize, kSymbolSize) * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(painter, name, QRectF(0, 0, kSymbolSize, kSymbolSize), color);
    return pixmap;
}

} // namespace

int AppMessageBox::widthForTitle(const QString& title)
{
    // Title bars draw a bold face, often a little larger than the application's own text.
    QFont font = QApplication::font();
    font.setBold(true);
    return int(std::ceil(1.2 * QFontMetricsF(font).horizontalAdvance(title))) + kTitleBarChrome;
}

AppMessageBox::AppMessageBox(Kind kind, const QString& title, QWidget* parent)
    : QMessageBox(QMessageBox::NoIcon, title, title, QMessageBox::NoButton, parent)
{
    setIconPixmap(symbolPixmap(kind, devicePixelRatioF()));
    setTextFormat(Qt::PlainText);
}

void AppMessageBox::showEvent(QShowEvent* event)
{
    // The box sizes itself to its layout as it shows; a strut across the layout's last row sets
    // its least width. The layout is rebuilt whenever a text or a button changes, so it goes in now.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()); grid && m_strutted != grid) {
        const int width =
            widthForTitle(windowTitle()) - grid->contentsMargins().left() - grid->contentsMargins().right();
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0,
                      1, grid->columnCount());
        m_strutted = grid;
    }
    // A line of the informative text (a file's path, say) is broken only when it is long.
    if (auto* informative = findChild<QLabel*>("qt_msgbox_informativelabel")) {
        int longest = 0;
        for (const QString& line : informativeText().split('\n'))
            longest = std::max(longest, informative->fontMetrics().horizontalAdvance(line) + 1);
        informative->setMinimumWidth(std::min(longest, kLongestUnbrokenLine));
    }
    QMessageBox::showEvent(event);
}
