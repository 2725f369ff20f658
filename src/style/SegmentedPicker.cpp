#include "SegmentedPicker.h"

#include "Color.h"
#include "Fonts.h"
#include "PaintCache.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

class Segment : public QAbstractButton {
public:
    Segment(const QString& title, QWidget* parent) : QAbstractButton(parent)
    {
        setText(title);
        setCheckable(true);
        setFont(Fonts::ui(12));
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override
    {
        return {fontMetrics().horizontalAdvance(text()) + 16, fontMetrics().height() + 8};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter target(this);
        m_cache.draw(target, *this, Look{text(), font(), isChecked()},
                     [this](QPainter& painter) {
                         painter.setRenderHint(QPainter::Antialiasing);
                         if (isChecked()) {
                             QPainterPath shape;
                             shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
                             painter.fillPath(shape, Color::white20());
                         }
                         painter.setPen(isChecked() ? Color::white95() : Color::white70());
                         painter.drawText(rect(), Qt::AlignCenter, text());
                     });
    }

private:
    // What the kept picture shows besides its size and pixel ratio.
    struct Look {
        QString text;
        QFont font;
        bool checked = false;
        friend bool operator==(const Look&, const Look&) = default;
    };

    KeyedPaintCache<Look> m_cache;
};

} // namespace

SegmentedPicker::SegmentedPicker(const QList<Option>& options, QWidget* parent)
    : QWidget(parent), m_options(options), m_group(new QButtonGroup(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    for (int i = 0; i < options.size(); ++i) {
        auto* segment = new Segment(options[i].first, this);
        m_group->addButton(segment, i);
        row->addWidget(segment);
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { emit activated(m_options[id].second); });
}

QString SegmentedPicker::currentValue() const
{
    const int id = m_group->checkedId();
    return id >= 0 ? m_options[id].second : QString();
}

void SegmentedPicker::setCurrentValue(const QString& value)
{
    for (int i = 0; i < m_options.size(); ++i) {
        if (m_options[i].second == value) {
            m_group->button(i)->setChecked(true);
            return;
        }
    }
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

QAbstractButton* SegmentedPicker::segment(const QString& title) const
{
    for (QAbstractButton* button : m_group->buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

void SegmentedPicker::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    m_cache.draw(target, size(), {}, 6 + 2, [](QPainter& painter, const QRectF& bounds) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        painter.fillPath(shape, Color::white10b());
    });
}
