#pragma once

#include "style/NineSlice.h"
#include "cleanup/CleanupPreviewCategory.h"

#include <QAbstractButton>

// One category of the cleanup preview as a button: selection mark, icon, name with its safety
// badge and reason, size and "selected/count". A tap toggles the whole category.
class CleanupPreviewCategoryRow : public QAbstractButton {
    Q_OBJECT
public:
    CleanupPreviewCategoryRow(const CleanupPreviewCategory& category, int selectedCount, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NineSlice m_cache;
};
