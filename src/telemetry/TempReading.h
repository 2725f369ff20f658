#pragma once

#include <QString>
#include <QUuid>

// One temperature sensor's reading; every reading gets an id of its own.
struct TempReading {
    QUuid id;
    QString name;
    double celsius = 0;
};
