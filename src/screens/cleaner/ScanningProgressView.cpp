#include "ScanningProgressView.h"

#include "cleanup/DiskScanner.h"
#include "style/Color.h"
#include "style/LinearProgressBar.h"
#include "style/TextLabel.h"

ScanningProgressView::ScanningProgressView(DiskScanner& scanner, QWidget* parent)
    : GlassModifier(16, 16, parent), m_scanner(scanner)
{
    setObjectName("scanningProgress");
    body()->setSpacing(12);
    m_bar = new LinearProgressBar(Color::accentGradient(), this);
    m_message = new TextLabel(QString(), 12, QFont::Normal, Color::white70(), this);
    m_message->setObjectName("scanMessage");
    m_percent = new TextLabel(QString(), 24, QFont::Bold, Color::white95(), this);
    m_percent->setObjectName("scanPercent");
    body()->addWidget(m_bar);
    body()->addWidget(m_message, 0, Qt::AlignHCenter);
    body()->addWidget(m_percent, 0, Qt::AlignHCenter);
    refresh();
}

void ScanningProgressView::refresh()
{
    m_bar->setValue(m_scanner.scanProgress() / 100.0);
    m_message->setText(m_scanner.scanMessage());
    m_percent->setText(QString::number(qint64(m_scanner.scanProgress())) + "%");
}
