#pragma once

#include <QProxyStyle>

// The Fusion style with the application's own push buttons: a rounded faint-white fill that
// brightens under the pointer, the default button outlined in the accent. Dialogs, alerts and the
// file picker are built from these buttons, so they look like the rest of the application.
class ControlStyle : public QProxyStyle {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 8;

    explicit ControlStyle(QStyle* base);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    // A tall scroll bar is drawn in bands of a few dozen pixel rows, each into an image of its own:
    // the same pixels, but the raster engine fills each band inline instead of handing every tall
    // fill to the thread pool in pieces, whose hand-offs cost several times the drawing.
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};
