#pragma once

class QWidget;

// The look of the text fields and editors: no border or bezel, a faint white fill clipped to a
// rounded rectangle, the text in the interface font and the bright white, the placeholder dimmer.
class FieldLook {
public:
    static void apply(QWidget& field, int fontSize, int cornerRadius, int horizontalPadding, int verticalPadding);
};
