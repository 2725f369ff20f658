#include "ScanButtonSection.h"

#include "cleanup/DiskScanner.h"
#include "style/Color.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/HoverEffect.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

ScanButtonSection::ScanButtonSection(DiskScanner& scanner, QWidget* parent)
    : GlassModifier(16, 16, parent), m_scanner(scanner)
{
    setObjectName("scanButtonSection");
    body()->setSpacing(12);
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new SymbolView("trash", 18, Color::neonCyan(), this));
    header->addWidget(new TextLabel("System Cleaner", 16, QFont::DemiBold, Color::white95(), this));
    header->addStretch(1);
    body()->addLayout(header);
    body()->addWidget(
        new TextLabel("Deep scan to find large files and recommendations", 12, QFont::Normal, Color::white70(), this));

    m_button = new GradientButton("Start Deep Scan", Fonts::ui(14, QFont::DemiBold), QSize(0, 14), 12, this);
    m_button->setObjectName("startScanButton");
    m_button->setSymbol("magnifyingglass");
    m_button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QColor glow = Color::neonCyan();
    glow.setAlphaF(0.3f);
    new HoverEffect(1.02, glow, m_button);
    connect(m_button, &QAbstractButton::clicked, this, [this] { m_scanner.startScan(); });
    body()->addWidget(m_button);
    refresh();
}

void ScanButtonSection::refresh()
{
    m_button->setEnabled(!m_scanner.isScanning());
}
