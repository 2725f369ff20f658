#include "TopBand.h"

#include "WindowControls.h"
#include "style/Color.h"

#include <QHBoxLayout>
#include <QPainter>

TopBand::TopBand(QWidget* lead, QWidget* parent) : QWidget(parent), m_veiled(lead != nullptr)
{
    setObjectName("topBand");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    if (lead)
        row->addWidget(lead, 1);
    else
        row->addStretch(1);
    row->addWidget(new WindowControls(this));
}

void TopBand::paintEvent(QPaintEvent*)
{
    if (!m_veiled)
        return;
    QPainter painter(this);
    QColor veil = Color::ultraThinMaterial();
    veil.setAlphaF(veil.alphaF() * 0.5f);
    painter.fillRect(rect(), veil);
}
