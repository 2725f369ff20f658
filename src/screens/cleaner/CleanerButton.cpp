#include "CleanerButton.h"

#include "style/ActivityIndicator.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

CleanerButton::CleanerButton(const QString& symbol, const QString& text, int pixelSize, const QColor& textColor,
                             QSize padding, qreal cornerRadius, QWidget* parent)
    : QAbstractButton(parent), m_cornerRadius(cornerRadius)
{
    setCursor(Qt::PointingHandCursor);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding.width(), padding.height(), padding.width(), padding.height());
    row->setSpacing(8);
    row->addStretch(1);
    m_symbol = new SymbolView(symbol, pixelSize + 1, textColor, this);
    m_spinner = new ActivityIndicator(qRound((pixelSize + 1) * 0.7) + 4, textColor, this);
    m_spinner->hide();
    m_label = new TextLabel(text, pixelSize, QFont::DemiBold, textColor, this);
    for (QWidget* part : {static_cast<QWidget*>(m_symbol), static_cast<QWidget*>(m_spinner),
                          static_cast<QWidget*>(m_label)}) {
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
        row->addWidget(part, 0, Qt::AlignVCenter);
    }
    row->addStretch(1);
}

void CleanerButton::setFill(const QBrush& fill)
{
    m_fill = fill;
    // A brush has no key of its own: the kept picture goes with the old one.
    m_cache = {};
    update();
}

void CleanerButton::setLabel(const QString& text)
{
    m_label->setText(text);
}

QString CleanerButton::label() const
{
    return m_label->text();
}

void CleanerButton::setBusy(bool busy)
{
    m_busy = busy;
    m_symbol->setVisible(!busy);
    m_spinner->setVisible(busy);
}

QSize CleanerButton::sizeHint() const
{
    return layout()->sizeHint();
}

void CleanerButton::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, *this, {}, [this](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.fillPath(shape, m_fill);
    });
}
