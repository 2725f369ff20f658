#pragma once

#include "style/RoundedPanel.h"

class TextLabel;

// A small centred card of a symbol, a value and a title, on a faint rounded panel; cards side by
// side share their row's width.
class QuickStatCard : public RoundedPanel {
    Q_OBJECT
public:
    QuickStatCard(const QString& title, const QString& icon, const QColor& iconColor, QWidget* parent = nullptr);

    void setValue(const QString& value);
    QString value() const;

private:
    TextLabel* m_value;
};
