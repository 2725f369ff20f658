#include "TextRecorder.h"

#include <QPaintEngine>
#include <QPainter>

#include <limits>

class TextRecorder::Engine : public QPaintEngine {
public:
    Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    QList<Item> items;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& origin, const QTextItem& item) override
    {
        items.append({item.text(), painter()->combinedTransform().map(origin), painter()->pen().color()});
    }
    Type type() const override { return QPaintEngine::User; }
};

TextRecorder::TextRecorder(const QSizeF& size) : m_size(size.toSize()), m_engine(std::make_unique<Engine>()) {}

TextRecorder::~TextRecorder() = default;

QList<TextRecorder::Item> TextRecorder::items() const
{
    return m_engine->items;
}

QPaintEngine* TextRecorder::paintEngine() const
{
    return m_engine.get();
}

int TextRecorder::metric(PaintDeviceMetric metric) const
{
    constexpr int pointsPerInch = 72;
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return m_size.width() * 254 / (10 * pointsPerInch);
    case PdmHeightMM:
        return m_size.height() * 254 / (10 * pointsPerInch);
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return pointsPerInch;
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return std::numeric_limits<int>::max();
    default:
        return QPaintDevice::metric(metric);
    }
}
