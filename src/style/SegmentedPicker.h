#pragma once

#include "NineSlice.h"

#include <QList>
#include <QPair>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A segmented picker: one segment per option, exactly one selected. Each option is a title shown
// and the value it stands for.
class SegmentedPicker : public QWidget {
    Q_OBJECT
public:
    using Option = QPair<QString, QString>;

    explicit SegmentedPicker(const QList<Option>& options, QWidget* parent = nullptr);

    QString currentValue() const;
    // Selects the segment of `value`, or none when no option has it; announces nothing.
    void setCurrentValue(const QString& value);
    // The segment showing `title`, for whoever needs to press it.
    QAbstractButton* segment(const QString& title) const;

signals:
    // The user chose the segment of `value`.
    void activated(const QString& value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Option> m_options;
    QButtonGroup* m_group;
    NineSlice m_cache;
};
