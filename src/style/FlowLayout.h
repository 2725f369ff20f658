#pragma once

#include <QLayout>
#include <QList>

// Items side by side, each at its preferred size, wrapping onto a new line when the next one no
// longer fits; each line is centred.
class FlowLayout : public QLayout {
    Q_OBJECT
public:
    FlowLayout(int horizontalSpacing, int verticalSpacing, QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem* itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items (or only measures, when `apply` is false) and returns the height used.
    int arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> m_items;
    int m_horizontal;
    int m_vertical;
};
