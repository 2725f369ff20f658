#pragma once

#include "style/NineSlice.h"
#include "DisplayModeOption.h"

#include <QAbstractButton>

class TextLabel;

// One row of the mode list: a check mark on the mode in use, the label (and, for a high-density
// mode, its full size below), a "Current" badge; a faint panel behind the row the user chose.
class DisplayModeRow : public QAbstractButton {
    Q_OBJECT
public:
    DisplayModeRow(const DisplayModeOption& option, bool isSelected, QWidget* parent = nullptr);

    const DisplayModeOption& option() const { return m_option; }
    bool isSelected() const { return m_isSelected; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DisplayModeOption m_option;
    bool m_isSelected;
    NineSlice m_cache;
};
