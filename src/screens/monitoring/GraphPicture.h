#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <functional>
#include <optional>
#include <utility>

class QPainter;

// The kept picture of a filled line graph, in device pixels: first, for each series, the area
// under it filled with a vertical gradient of its colour fading to nothing at the bottom; then each
// series' curve with a soft glow of its colour, all on one scale from 0 at the bottom to the
// maximum at the top. Values that are not finite count as 0; values far beyond the scale are held
// a scale's height above or below it.
//
// The samples sit on whole device pixels of a grid that moves with them, nearly evenly spaced, the
// newest at the right edge. When the series move on by some samples, the kept pixels move left by
// whole pixels and only the columns whose drawing changed (the new samples, the new first sample,
// samples whose value changed) are cleared and drawn again, clipped to those columns. Whatever came
// before, the picture is the one redraw() gives.
class GraphPicture {
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

    // Brings the picture up to date with the graph at a size in device-independent pixels.
    void show(const QList<Series>& series, double maxValue, QSize size, qreal dpr);
    // Draws the whole picture anew.
    void redraw();

    const QImage& image() const { return m_image; }
    // The part of the picture, in device pixels, that the last show() or redraw() changed; rows
    // of one colour that kept it are left out, so a graph that moves on along a nearly level line
    // changes only the rows around the line.
    QRect changed() const { return m_changed; }
    // Where the samples of a series lie in the picture, in device pixels; none when it has fewer
    // than two or the scale is not a positive number.
    const QList<QPointF>& points(qsizetype series) const { return m_points.at(series); }
    // No series has two points: the picture is clear.
    bool isBlank() const;
    // How often the picture was drawn wholly anew.
    int redraws() const { return m_redraws; }

private:
    struct Span {
        int left;
        int right;
    };

    qsizetype sampleCount() const;
    double position(qsizetype i, qsizetype n, qint64 phase) const;
    double height(double value) const;
    int halo() const;
    void place();
    // The rows the curves and their glows reach, from the first to past the last; none when a series
    // is not drawn or its area leaves a column at either end uncovered, so that the rows below the
    // curves are not each of the areas' one colour.
    std::optional<std::pair<int, int>> curveRows() const;
    // Draws the rows from `top` to `bottom` anew, across the picture.
    void redrawRows(int top, int bottom);
    // The columns to draw again if the series moved on by `moved` samples; empty when none.
    void changedColumns(const QList<QList<double>>& heights, qsizetype moved, QList<Span>& spans) const;
    bool advance();
    // Whether the graph, level, shows as the level graph drawn before.
    bool levelAsBefore() const;
    void moveLeft(int pixels);
    // Sets what changed to the rows from `firstRow` to `endRow` that are not of the one colour
    // they had, across the columns drawn; the rest of the picture was kept or moved along its rows.
    void noteChangedRows(const QList<Span>& drawn, int firstRow, int endRow);
    // Clears and draws the columns of m_spans.
    void paintSpans();
    // Draws the part of the picture from `left` to `right` and from `top` to `bottom` into a band
    // turned a quarter round, then into the picture.
    void paintSideways(QImage& band, int left, int right, int top, int bottom);
    static void onPoolThread(const std::function<void()>& draw);
    void paintColumns(QPainter& painter, QRect area);

    QList<Series> m_series;
    double m_maxValue = 0;
    qreal m_dpr = 1;
    QImage m_image;
    // Counts the samples the grid has moved by.
    qint64 m_phase = 0;
    // Where each series' samples lie, in device pixels.
    QList<QList<QPointF>> m_points;
    // Reused from sample to sample.
    QList<QList<double>> m_heights;
    QList<Span> m_spans;
    QList<Span> m_trial;
    QPainterPath m_path;
    // The columns drawn turned, reused from sample to sample.
    QImage m_band;
    int m_redraws = 0;
    // Each row's colour when the whole row has that one colour; mixedRow otherwise.
    QList<quint64> m_rows;
    QRect m_changed;
};
