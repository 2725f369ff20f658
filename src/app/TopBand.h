#pragma once

#include <QWidget>

// The band across the top of the window: the screen strip (or nothing, before setup), then the
// window's controls at its right end. Under the strip the band is veiled from edge to edge; over
// the welcome screen it is bare.
class TopBand : public QWidget {
    Q_OBJECT
public:
    explicit TopBand(QWidget* lead, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_veiled;
};
