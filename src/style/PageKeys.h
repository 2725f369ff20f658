#pragma once

#include <QObject>
#include <QPointer>

class QAbstractScrollArea;
class QKeyEvent;
class QWidget;

// Page Up, Page Down, Ctrl+Home and Ctrl+End scroll a screen's page wherever the keyboard focus is
// in its window, as in a browser: from a control on the page, none of which uses these keys, and
// from one outside it, such as the strip of screens. A text field that uses one of them keeps it;
// one that does not passes it on to the page. Every part of a page comes into view this way,
// however far it lies from the nearest control.
class PageKeys : public QObject {
    Q_OBJECT
public:
    // From now on, for as long as `page` lives.
    static void attach(QAbstractScrollArea* page);
    static bool isPageKey(const QKeyEvent& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PageKeys(QAbstractScrollArea* page);

    void watchWindow();
    // Whether the key was one of these, now done.
    bool scroll(QKeyEvent* key);

    QAbstractScrollArea* m_page;
    QPointer<QWidget> m_window;
};
