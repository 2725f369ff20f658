#pragma once

#include "style/GlassModifier.h"

#include <QList>

class GraphCanvas;
class TextLabel;

// The "RAM Usage" card from plain values: the gigabytes in use, a filled graph of the memory load
// history (oldest at the left) and the load and installed memory in the footer.
class RAMGraphView : public GlassModifier {
    Q_OBJECT
public:
    static constexpr int graphHeight = 120;

    explicit RAMGraphView(QWidget* parent = nullptr);

    void setValues(const QList<double>& history, double usedGB, double totalGB, double maxValue);

    // Used over installed memory in percent, 0 when nothing is installed.
    static double footerPercent(double usedGB, double totalGB);

    GraphCanvas* graph() const { return m_graph; }

private:
    TextLabel* m_used;
    GraphCanvas* m_graph;
    TextLabel* m_percent;
    TextLabel* m_total;
};
