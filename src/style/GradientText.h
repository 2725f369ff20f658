#pragma once

#include "PaintCache.h"

#include <QFont>
#include <QWidget>

// A line of text filled with the accent gradient.
class GradientText : public QWidget {
    Q_OBJECT
public:
    GradientText(const QString& text, const QFont& font, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QFont m_font;
    PaintCache m_cache;
};
