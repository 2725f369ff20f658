#pragma once

class QPainter;
class QRectF;
class QWidget;

// The look of the text fields and editors: no border or bezel, a faint white fill clipped to a
// rounded rectangle, the text in the interface font and the bright white, the placeholder dimmer.
class FieldLook {
public:
    static void apply(QWidget& field, int fontSize, int cornerRadius, int horizontalPadding, int verticalPadding);

    // The font and colours alone, for a field that draws its fill itself.
    static void applyColours(QWidget& field, int fontSize);
    // The fill of a field whose rectangle is `bounds`, as the style sheet of apply() draws it.
    static void paintFill(QPainter& painter, const QRectF& bounds, int cornerRadius);
};
