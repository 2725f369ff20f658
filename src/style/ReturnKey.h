#pragma once

#include <QObject>

// Enter and Return press the focused button, as Space does, application-wide. Buttons of a dialog
// that already answer Enter themselves (its default buttons) are left to do so.
class ReturnKey : public QObject {
    Q_OBJECT
public:
    // Watches the whole application from now on; installing twice keeps one watcher.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
