#pragma once

#include <QColor>
#include <QList>
#include <QPaintDevice>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <memory>

// A paint device of points (72 per inch) that keeps the text drawn on it, in drawing order, with
// where its baseline starts and the pen it was drawn in; everything else painted is dropped.
class TextRecorder : public QPaintDevice {
public:
    struct Item {
        QString text;
        QPointF origin;
        QColor color;
    };

    explicit TextRecorder(const QSizeF& size);
    ~TextRecorder() override;

    QList<Item> items() const;
    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    QSize m_size;
    std::unique_ptr<Engine> m_engine;
};
