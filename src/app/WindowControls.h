#pragma once

#include <QPointer>
#include <QWidget>

class SymbolButton;

// Minimise, maximise or restore, and close, for the window this sits in, at the right end of its
// top band as a Linux desktop's own window header has them. The middle button shows restore
// while the window is maximised.
class WindowControls : public QWidget {
    Q_OBJECT
public:
    static constexpr int buttonSize = 24;
    // The least height of the band they sit in, which the window is dragged by.
    static constexpr int bandHeight = 48;

    explicit WindowControls(QWidget* parent = nullptr);

    // Maximises a window that is not, restores one that is.
    static void toggleMaximized(QWidget* window);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SymbolButton* button(const QString& symbol, const QString& objectName, const QString& tip);
    void showWindowState();

    SymbolButton* m_maximize;
    QPointer<QWidget> m_watched;
};
