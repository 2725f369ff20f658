#include "DiskScanner.h"

#include "MainThread.h"
#include "WorkQueues.h"

#include <QtConcurrent/QtConcurrentRun>

DiskScanner::DiskScanner(QObject* parent) : QObject(parent) {}

void DiskScanner::startScan()
{
    m_isScanning = true;
    m_scanProgress = 0;
    emit changed();
    (void)QtConcurrent::run(&WorkQueues::utility(), [this, life = m_life.watch()] {
        MainThread::post(life, [this] {
            m_isScanning = false;
            m_scanProgress = 1.0;
            emit changed();
        });
    });
}
