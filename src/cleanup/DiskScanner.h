#pragma once

#include "LifeToken.h"

#include <QObject>

// Scans the disk for cleanup candidates on the utility queue and publishes what it found on the
// main thread. It only scans: nothing is moved or deleted here.
class DiskScanner : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY changed)
    Q_PROPERTY(double scanProgress READ scanProgress NOTIFY changed)
public:
    explicit DiskScanner(QObject* parent = nullptr);

    bool isScanning() const { return m_isScanning; }
    // 0 to 1.
    double scanProgress() const { return m_scanProgress; }

    // Returns at once; the scan runs in the background.
    void startScan();

signals:
    void changed();

private:
    bool m_isScanning = false;
    double m_scanProgress = 0;
    LifeToken m_life;
};
