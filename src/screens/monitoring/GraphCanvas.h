#pragma once

#include "GraphPicture.h"

#include <QList>
#include <QWidget>

// A filled line graph (drawn as GraphPicture draws it) in a widget of a fixed height. The picture
// is kept and brought up to date only when the data or the size changes; new data repaints only
// the part of the widget whose pixels it changed.
class GraphCanvas : public QWidget {
    Q_OBJECT
public:
    using Series = GraphPicture::Series;

    GraphCanvas(int height, QWidget* parent = nullptr);

    void setGraph(const QList<Series>& series, double maxValue);
    const QList<Series>& series() const { return m_series; }
    double maxValue() const { return m_maxValue; }
    // How often the picture was drawn wholly anew.
    int renderCount() const { return m_picture.redraws(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Series> m_series;
    double m_maxValue = 1;
    GraphPicture m_picture;
};
