#pragma once

#include "PaintCache.h"

#include <QComboBox>

// A pop-up picker that keeps what it painted until its text, state or look changes: the moving
// backdrop repaints it often, and the style would lay out its text anew each time. An editable
// picker paints as QComboBox does.
class PickerBox : public QComboBox {
    Q_OBJECT
public:
    explicit PickerBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the kept picture shows besides its size and pixel ratio.
    struct Look {
        QString text;
        qint64 icon = 0;
        int state = 0;
        int activeSubControls = 0;
        int direction = 0;
        bool frame = false;
        qint64 palette = 0;
        QFont font;
        friend bool operator==(const Look&, const Look&) = default;
    };

    KeyedPaintCache<Look> m_cache;
};
