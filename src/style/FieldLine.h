#pragma once

#include <QFont>
#include <QLineEdit>
#include <QMargins>
#include <QPixmap>

// A one-line text field that, while it does not have the keyboard focus, shows a picture of itself
// taken when its text, placeholder or look last changed. QLineEdit measures and shapes its text
// (and elides the placeholder) on every paint, and the moving backdrop repaints it several times a
// second. With the focus the caret blinks and the field paints as QLineEdit does.
class FieldLine : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Everything the picture depends on.
    struct Look {
        QString text;
        QString placeholder;
        QString selected;
        QFont font;
        QString styleSheet;
        qint64 palette = 0;
        int alignment = 0;
        int cursor = 0;
        bool enabled = true;
        bool readOnly = false;
        bool underMouse = false;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QMargins margins;
        QSize size;
        qreal dpr = 1;
        friend bool operator==(const Look&, const Look&) = default;
    };

    Look look() const;
    // Takes the picture outside any paint event: QLineEdit paints only into the widget itself, so
    // the picture is the widget rendered into a pixmap.
    void takePicture();

    QPixmap m_picture;
    Look m_look;
    bool m_taking = false;
    bool m_pending = false;
};
