#include "MainWindow.h"

#include "ContentView.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QSizeGrip>
#include <QVBoxLayout>
#include <QWindow>

MainWindow::MainWindow(const PlatformServices& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_content(new ContentView(platform, this)),
      m_quit(new QAction("Quit Quillmarsh", this)),
      m_sizeGrip(new QSizeGrip(this)),
      m_terminate([] { QCoreApplication::quit(); })
{
    setObjectName("mainWindow");
    setWindowTitle("Quillmarsh");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_content);
    setMinimumSize(m_content->minimumSize());

    m_quit->setObjectName("quitAction");
    m_quit->setShortcuts(QKeySequence::Quit);
    // Some platforms (the offscreen one among them) bind nothing to Quit; the command keeps its key.
    if (m_quit->shortcuts().isEmpty())
        m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_quit, &QAction::triggered, this, &MainWindow::terminateApp);
    addAction(m_quit);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(m_content, &ContentView::terminateRequested, this, &MainWindow::terminateApp);

    m_sizeGrip->setObjectName("sizeGrip");
    m_sizeGrip->setStyleSheet("QSizeGrip { image: none; background: transparent; }");
    m_sizeGrip->resize(16, 16);
    m_sizeGrip->raise();
}

void MainWindow::terminateApp()
{
    m_terminate();
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // Presses that no control took arrive here; in the top band they move the window, as a title
    // bar would. The move starts only when the pointer moves, so a double-click still arrives.
    if (event->button() == Qt::LeftButton && event->position().y() < dragBandHeight) {
        m_pressAt = event->position().toPoint();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressAt && (event->buttons() & Qt::LeftButton)
        && (event->position().toPoint() - *m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressAt.reset();
        if (windowHandle())
            windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressAt.reset();
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < dragBandHeight) {
        m_pressAt.reset();
        WindowControls::toggleMaximized(this);
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A maximised window has no corner to drag.
    if (event->type() == QEvent::WindowStateChange)
        m_sizeGrip->setVisible(!isMaximized());
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_sizeGrip->move(width() - m_sizeGrip->width(), height() - m_sizeGrip->height());
    m_sizeGrip->raise();
}
