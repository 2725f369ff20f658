#include "XEmbedTrayWatch.h"

#include "MainThread.h"
#include "XcbConnect.h"
#include "XcbReply.h"

#include <QLoggingCategory>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

Q_LOGGING_CATEGORY(lcXEmbedTray, "quillmarsh.tray.xembed")


// What the watching thread and the watch share; whichever ends last frees it.
struct XEmbedTrayWatch::Shared {
    QByteArray display;
    // The watch, reached on the main thread only while its life token lives.
    XEmbedTrayWatch* watch = nullptr;
    std::weak_ptr<void> life;
    // Written to end the thread.
    int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // True while the thread may wait on the X server rather than on its events.
    std::atomic<bool> waitingOnServer = true;
    std::thread thread;

    ~Shared()
    {
        if (wake >= 0)
            ::close(wake);
    }

    void tell(bool present) const
    {
        MainThread::post(life, [watch = watch, present] { watch->heard(present); });
    }

    // The thread: connects, asks, then sleeps until the selection's owner changes or it is ended.
    static void watchTray(const std::shared_ptr<Shared>& self)
    {
        int screenNumber = 0;
        xcb_connection_t* connection = connectToXServer(self->display.constData(), &screenNumber);
        if (xcb_connection_has_error(connection)) {
            qCInfo(lcXEmbedTray) << "the X display" << self->display << "cannot be reached";
            self->waitingOnServer = false;
            xcb_disconnect(connection);
            self->tell(false);
            return;
        }
        self->follow(connection, screenNumber);
        self->waitingOnServer = false;
        xcb_disconnect(connection);
    }

    void follow(xcb_connection_t* connection, int screenNumber)
    {
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (!screens.rem)
            return tell(false);
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
        const auto atom = ownedReply(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr));
        if (!atom)
            return tell(false);
        const xcb_atom_t selection = atom->atom;

        const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
        const bool following = fixes && fixes->present;
        if (following) {
            // The server speaks XFixes only to a client that said which version it knows.
            const auto version = ownedReply(xcb_xfixes_query_version_reply(
                connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
                nullptr));
            xcb_xfixes_select_selection_input(connection, screens.data->root, selection,
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                                  | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        } else {
            qCInfo(lcXEmbedTray) << "the X server has no XFixes: a tray is looked for once, at the start";
        }
        // Asked after subscribing, so that no change falls between the answer and the events.
        const auto owner = ownedReply(
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
        tell(owner && owner->owner != XCB_NONE);
        if (!following)
            return;

        const uint8_t notify = fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        waitingOnServer = false;
        pollfd sources[] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {wake, POLLIN, 0}};
        while (!xcb_connection_has_error(connection)) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                if ((event->response_type & 0x7f) == notify) {
                    const auto* change = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
                    // A destroyed owner window or a closed owner client leave the selection
                    // without an owner; the event still names the one that went.
                    tell(change->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && change->owner != XCB_NONE);
                }
                std::free(event);
            }
            if (::poll(sources, 2, -1) < 0 && errno != EINTR)
                break;
            if (sources[1].revents)
                return;
        }
        qCInfo(lcXEmbedTray) << "the X display" << display << "went away";
        tell(false);
    }
};

XEmbedTrayWatch::XEmbedTrayWatch(QByteArray display, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    if (display.isEmpty()) {
        m_answered = true;
        return;
    }
    m_shared->display = std::move(display);
    m_shared->watch = this;
    m_shared->life = m_life;
    m_shared->thread = std::thread([shared = m_shared] {
        pthread_setname_np(pthread_self(), "xembed tray");
        Shared::watchTray(shared);
    });
}

XEmbedTrayWatch::~XEmbedTrayWatch()
{
    if (!m_shared->thread.joinable())
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_shared->wake, &one, sizeof one);
    // A thread still waiting on an X server that does not answer is left to end on its own.
    if (m_shared->waitingOnServer)
        m_shared->thread.detach();
    else
        m_shared->thread.join();
}

void XEmbedTrayWatch::heard(bool present)
{
    const bool news = present != m_present || !m_answered;
    m_present = present;
    m_answered = true;
    if (news)
        emit changed();
}
