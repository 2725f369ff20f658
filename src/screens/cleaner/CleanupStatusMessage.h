#pragma once

#include "style/NineSlice.h"

#include <QWidget>

class TextLabel;

// The Cleaner screen's status line: a seal and the message on a faint green band.
class CleanupStatusMessage : public QWidget {
    Q_OBJECT
public:
    explicit CleanupStatusMessage(QWidget* parent = nullptr);
    void setMessage(const QString& message);
    QString message() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextLabel* m_text;
    NineSlice m_cache;
};
