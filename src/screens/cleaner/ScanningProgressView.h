#pragma once

#include "style/GlassModifier.h"

class DiskScanner;
class LinearProgressBar;
class TextLabel;

// The progress card shown while a scan runs: bar, phase text and whole percent.
class ScanningProgressView : public GlassModifier {
    Q_OBJECT
public:
    explicit ScanningProgressView(DiskScanner& scanner, QWidget* parent = nullptr);
    void refresh();

private:
    DiskScanner& m_scanner;
    LinearProgressBar* m_bar;
    TextLabel* m_message;
    TextLabel* m_percent;
};
