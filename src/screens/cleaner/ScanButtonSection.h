#pragma once

#include "style/GlassModifier.h"

class DiskScanner;
class GradientButton;

// The "System Cleaner" card with the "Start Deep Scan" button, which is disabled while a scan runs.
class ScanButtonSection : public GlassModifier {
    Q_OBJECT
public:
    explicit ScanButtonSection(DiskScanner& scanner, QWidget* parent = nullptr);
    void refresh();

private:
    DiskScanner& m_scanner;
    GradientButton* m_button;
};
