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
    PaintCache m_cache;
};
