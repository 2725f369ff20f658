#pragma once

#include <QByteArray>
#include <QObject>
#include <memory>

// Whether an XEmbed tray (a panel's notification area that docks icons as X windows) owns the tray
// selection, _NET_SYSTEM_TRAY_S<screen>, of an X display's default screen. The X server is asked
// once and then tells of every change of the selection's owner through XFixes, on a connection and
// a thread of their own: nothing is asked while nothing changes, and an X server that does not
// answer holds only that thread. Read on the main thread.
class XEmbedTrayWatch final : public QObject {
    Q_OBJECT
public:
    // `display` as in $DISPLAY; empty means no X display, so never a tray.
    explicit XEmbedTrayWatch(QByteArray display, QObject* parent = nullptr);
    ~XEmbedTrayWatch() override;

    // A tray owns the selection, as the X server last said; false until it said.
    bool isPresent() const { return m_present; }
    // The X server said at least once (or there is no display to ask).
    bool hasAnswered() const { return m_answered; }

signals:
    void changed();

private:
    struct Shared;
    void heard(bool present);

    std::shared_ptr<void> m_life = std::make_shared<int>();
    std::shared_ptr<Shared> m_shared;
    bool m_present = false;
    bool m_answered = false;
};
