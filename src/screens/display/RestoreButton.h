#pragma once

#include "style/NineSlice.h"

#include <QAbstractButton>

// "Restore Default Resolution": a symbol beside the text, centred on a faint rounded panel that
// fills the card's width.
class RestoreButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit RestoreButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NineSlice m_cache;
};
