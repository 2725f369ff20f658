#pragma once

#include "style/NineSlice.h"
#include "tuning/QuickBoostResult.h"

#include <QVariantAnimation>
#include <QWidget>
#include <functional>

class BoostActionRow;
class OutlineButton;
class SymbolView;

// The Quick Boost result: a mark and a title that tell how it went (done, partly done, failed), the
// memory freed when there was any, one row per step (failed steps marked as such) and a "Done" button
// that calls `onDismiss`. When it first appears the mark grows and the rows fade and slide in.
class BoostResultPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int markSize = 44;
    static constexpr int entranceMs = 500;

    BoostResultPopup(const QuickBoostResult& result, std::function<void()> onDismiss, QWidget* parent = nullptr);

    const QuickBoostResult& result() const { return m_result; }
    QString title() const;
    QString symbol() const;
    QColor markColor() const;
    // The entrance has been started (and the mark grows toward its full size).
    bool animate() const { return m_animate; }
    bool isEntering() const { return m_entrance.state() == QAbstractAnimation::Running; }
    QList<BoostActionRow*> rows() const { return m_rows; }
    OutlineButton* doneButton() const { return m_done; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setEntrance(qreal progress);

    QuickBoostResult m_result;
    std::function<void()> m_onDismiss;
    bool m_animate = false;
    QWidget* m_markHolder;
    SymbolView* m_mark;
    QList<BoostActionRow*> m_rows;
    OutlineButton* m_done;
    QVariantAnimation m_entrance;
    NineSlice m_cache;
};
