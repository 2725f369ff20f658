#pragma once

#include "PlatformServices.h"
#include "WindowControls.h"

#include <QWidget>
#include <functional>
#include <optional>

class ContentView;
class QAction;

// The one window: the root view with no title bar of its own, never smaller than 1000 x 650 and
// free to grow. Without a title bar it is moved by dragging its top band, maximised and restored by
// double-clicking that band or with the controls at its right end, and resized from its
// bottom-right corner. "Quit Quillmarsh" (the platform's quit shortcut) is its one command; it is
// also offered on the window's context menu, as there is no application menu here.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int dragBandHeight = WindowControls::bandHeight;

    explicit MainWindow(const PlatformServices& platform, QWidget* parent = nullptr);

    ContentView* contentView() const { return m_content; }
    QAction* quitAction() const { return m_quit; }
    // What the quit command and the end of the clean uninstall do; by default the application's
    // ordinary quit, which every request is granted at once.
    void setTerminateApp(std::function<void()> terminate) { m_terminate = std::move(terminate); }
    void terminateApp();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ContentView* m_content;
    QAction* m_quit;
    QWidget* m_sizeGrip;
    std::function<void()> m_terminate;
    // Where a press in the top band began; the window moves once the pointer leaves it far enough.
    std::optional<QPoint> m_pressAt;
};
