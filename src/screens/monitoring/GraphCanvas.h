#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>

class QPainter;

// The drawing of a filled line graph: first, for each series, the area under it filled with a
// vertical gradient of its colour fading to nothing at the bottom; then each series' curve with a
// soft glow of its colour. All series share one scale. The picture is kept until the data changes.
class GraphCanvas : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal lineWidth = 2.5;
    static constexpr qreal glowOpacity = 0.6;

    struct Series {
        QList<double> data;
        QColor color;
        // Of the gradient's top.
        qreal areaOpacity = 0;
        int glowRadius = 0;

        bool operator==(const Series&) const = default;
    };

    GraphCanvas(int height, QWidget* parent = nullptr);

    void setGraph(const QList<Series>& series, double maxValue);
    const QList<Series>& series() const { return m_series; }
    double maxValue() const { return m_maxValue; }
    // How often the picture was drawn anew.
    int renderCount() const { return m_renders; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture(qreal dpr) const;
    void render(QPainter& painter) const;

    QList<Series> m_series;
    double m_maxValue = 1;
    quint64 m_version = 0;
    quint64 m_pictureVersion = 0;
    int m_renders = 0;
    QImage m_picture;
};
