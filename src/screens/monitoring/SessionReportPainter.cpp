#include "SessionReportPainter.h"

#include "SessionReportView.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kMargin = 40;
constexpr qreal kSectionSpacing = 20;
constexpr qreal kRowSpacing = 12;
// Text on the white page takes darker shades of the palette's hues, so that it reads at 4.5 : 1.
const QColor kGray = Color::readableOn(QColor(0x8E, 0x8E, 0x93), Qt::white);
const QColor kDivider(0xD1, 0xD1, 0xD6);

// Lays the column out from the top, one item under the other.
class Column {
public:
    Column(QPainter& painter, qreal left, qreal top, qreal width)
        : m_painter(painter), m_left(left), m_y(top), m_width(width)
    {
    }

    qreal y() const { return m_y; }
    void skip(qreal height) { m_y += height; }

    // One line of text at the given horizontal offset; returns its height.
    static qreal drawLine(QPainter& painter, const QString& text, const QFont& font, const QColor& color,
                          const QRectF& box, Qt::Alignment alignment)
    {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(box, int(alignment | Qt::AlignVCenter), text);
        return QFontMetricsF(font).height();
    }

    void text(const QString& text, int size, QFont::Weight weight, const QColor& color)
    {
        const QFont font = Fonts::ui(size, weight);
        const qreal height = QFontMetricsF(font).height();
        drawLine(m_painter, text, font, color, QRectF(m_left, m_y, m_width, height), Qt::AlignLeft);
        m_y += height;
    }

    void title(const QString& text) { this->text(text, 16, QFont::Bold, Qt::black); }

    void divider()
    {
        m_painter.fillRect(QRectF(m_left, m_y, m_width, 1), kDivider);
        m_y += 1;
    }

    qreal left() const { return m_left; }
    qreal width() const { return m_width; }
    QPainter& painter() { return m_painter; }

private:
    QPainter& m_painter;
    qreal m_left;
    qreal m_y;
    qreal m_width;
};

void symbol(QPainter& painter, const QString& name, const QPointF& topLeft, qreal size, const QColor& color)
{
    Symbols::paint(painter, name, QRectF(topLeft, QSizeF(size, size)), color);
}

void header(Column& column)
{
    const QColor cyan = Color::fromHex("00D4FF");
    const QFont brand = Fonts::ui(28, QFont::Bold);
    const qreal rowHeight = std::max<qreal>(32, QFontMetricsF(brand).height());
    symbol(column.painter(), "gamecontroller.fill", QPointF(column.left(), column.y() + (rowHeight - 32) / 2),
           32, cyan);
    Column::drawLine(column.painter(), "QUILLMARSH", brand, Color::readableOn(cyan, Qt::white),
                     QRectF(column.left() + 40, column.y(), column.width() - 40, rowHeight), Qt::AlignLeft);
    column.skip(rowHeight + 8);
    column.text("Performance Analysis Report", 18, QFont::Medium, kGray);
    column.skip(10);
}

void summary(Column& column, const SessionReportView& page)
{
    column.title("Session Summary");
    column.skip(kRowSpacing);
    const QFont label = Fonts::ui(12);
    const QFont value = Fonts::ui(14, QFont::DemiBold);
    const qreal labelHeight = QFontMetricsF(label).height();
    qreal x = column.left();
    for (const SessionReportView::Figure& item : page.summaryItems()) {
        const qreal labelWidth = QFontMetricsF(label).horizontalAdvance(item.label);
        const qreal valueWidth = QFontMetricsF(value).horizontalAdvance(item.value);
        symbol(column.painter(), item.symbol, QPointF(x, column.y() + (labelHeight - 12) / 2), 12,
               item.color);
        Column::drawLine(column.painter(), item.label, label, kGray,
                         QRectF(x + 18, column.y(), labelWidth + 1, labelHeight), Qt::AlignLeft);
        Column::drawLine(
            column.painter(), item.value, value, Qt::black,
            QRectF(x, column.y() + labelHeight + 4, valueWidth + 1, QFontMetricsF(value).height()),
            Qt::AlignLeft);
        x += std::max(labelWidth + 18, valueWidth) + 30;
    }
    column.skip(labelHeight + 4 + QFontMetricsF(value).height() + kRowSpacing);
    column.divider();
}

void statistics(Column& column, const SessionReportView& page)
{
    column.title("System Statistics");
    column.skip(kRowSpacing);
    const QList<SessionReportView::Figure> tiles = page.statisticTiles();
    const QFont label = Fonts::ui(10);
    const QFont value = Fonts::ui(14, QFont::Bold);
    const qreal spacing = 20;
    const qreal width = (column.width() - spacing * qreal(tiles.size() - 1)) / qreal(tiles.size());
    const qreal height = 10 + QFontMetricsF(label).height() + 4 + QFontMetricsF(value).height() + 10;
    QPainter& painter = column.painter();
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const SessionReportView::Figure& tile = tiles[i];
        const QRectF box(column.left() + qreal(i) * (width + spacing), column.y(), width, height);
        QColor fill = tile.color;
        fill.setAlphaF(0.1f);
        QPainterPath shape;
        shape.addRoundedRect(box, 8, 8);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, fill);
        painter.restore();
        const qreal labelHeight = QFontMetricsF(label).height();
        const QColor surface = Color::over(fill, Qt::white);
        Column::drawLine(painter, tile.label, label, Color::readableOn(kGray, surface),
                         QRectF(box.left(), box.top() + 10, width, labelHeight), Qt::AlignHCenter);
        Column::drawLine(
            painter, tile.value, value, Color::readableOn(tile.color, surface),
            QRectF(box.left(), box.top() + 10 + labelHeight + 4, width, QFontMetricsF(value).height()),
            Qt::AlignHCenter);
    }
    column.skip(height + kRowSpacing);
    column.divider();
}

void metrics(Column& column, const SessionReportView& page)
{
    column.title("Performance Metrics");
    column.skip(kRowSpacing);
    const QList<SessionReportView::Figure> rows = page.metricRows();
    if (rows.isEmpty()) {
        column.text("No performance data recorded", 12, QFont::Normal, kGray);
    } else {
        const QFont label = Fonts::ui(12);
        const QFont value = Fonts::ui(12, QFont::Medium);
        const qreal height = std::max(QFontMetricsF(label).height(), QFontMetricsF(value).height());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QRectF line(column.left(), column.y(), column.width(), height);
            Column::drawLine(column.painter(), rows[i].label, label, Qt::black, line, Qt::AlignLeft);
            Column::drawLine(column.painter(), rows[i].value, value, kGray, line, Qt::AlignRight);
            column.skip(height + (i + 1 < rows.size() ? 10 : 0));
        }
    }
    column.skip(kRowSpacing);
    column.divider();
}

void recommendations(Column& column, const SessionReportView& page)
{
    column.title("Recommendations");
    const QFont font = Fonts::ui(11);
    const QFontMetricsF metrics(font);
    const qreal textLeft = column.left() + 12 + 8;
    const qreal textWidth = column.width() - 12 - 8;
    QPainter& painter = column.painter();
    for (const QString& text : page.reportRecommendations()) {
        column.skip(kRowSpacing);
        const QRectF bounds = metrics.boundingRect(QRectF(textLeft, column.y(), textWidth, 1000),
                                                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        symbol(painter, "checkmark.circle.fill",
               QPointF(column.left(), column.y() + (metrics.height() - 12) / 2), 12,
               Color::fromHex("00FF88"));
        painter.setFont(font);
        painter.setPen(kGray);
        painter.drawText(QRectF(textLeft, column.y(), textWidth, bounds.height()),
                         int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), text);
        column.skip(std::max<qreal>(bounds.height(), 12));
    }
}

void footer(QPainter& painter, const SessionReportView& page)
{
    const QFont font = Fonts::ui(10);
    const qreal textHeight = QFontMetricsF(font).height();
    const qreal width = SessionReportPainter::pageSize.width() - 2 * kMargin;
    const qreal top = SessionReportPainter::pageSize.height() - kMargin - 2 * textHeight - 2 * 4 - 1;
    painter.fillRect(QRectF(kMargin, top, width, 1), kDivider);
    const qreal dateLine = top + 1 + 4;
    Column::drawLine(painter, page.footerText(), font, kGray, QRectF(kMargin, dateLine, width, textHeight),
                     Qt::AlignHCenter);
    Column::drawLine(painter, SessionReportView::productAddress, font, Color::fromHex("00D4FF"),
                     QRectF(kMargin, dateLine + textHeight + 4, width, textHeight), Qt::AlignHCenter);
}

} // namespace

void SessionReportPainter::paint(QPainter& painter, const SessionReportView& page)
{
    painter.save();
    painter.fillRect(QRectF(QPointF(0, 0), pageSize), Qt::white);
    Column column(painter, kMargin, kMargin, pageSize.width() - 2 * kMargin);
    header(column);
    column.skip(kSectionSpacing);
    summary(column, page);
    column.skip(kSectionSpacing);
    statistics(column, page);
    column.skip(kSectionSpacing);
    metrics(column, page);
    column.skip(kSectionSpacing);
    recommendations(column, page);
    footer(painter, page);
    painter.restore();
}
