#include "QuitSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

int s_pipe[2] = {-1, -1};

extern "C" void writeSignalNumber(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &number, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent)
{
    Q_ASSERT(s_pipe[0] < 0);
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("Quit signals are not handled: no pipe (%s)", strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readPipe);

    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(handled); ++i)
        ::sigaction(handled[i], &action, &m_previous[i]);
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < std::size(handled); ++i)
        ::sigaction(handled[i], &m_previous[i], nullptr);
    delete m_notifier;
    ::close(s_pipe[0]);
    ::close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
}

void QuitSignals::readPipe()
{
    char numbers[16];
    ssize_t count = 0;
    while ((count = ::read(s_pipe[0], numbers, sizeof numbers)) > 0) {
        if (m_requested)
            continue;
        m_requested = true;
        emit quitRequested(numbers[0]);
    }
}
