#include "MainThreadWatch.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>
#include <pthread.h>
#include <semaphore.h>

namespace {

constexpr int kDepth = 96;
constexpr auto kInterval = std::chrono::milliseconds(2);

// Written by the signal handler on the main thread, read by the sampler once it was told.
pthread_t g_mainThread;
void* g_frames[kDepth];
volatile sig_atomic_t g_depth = 0;
sem_t g_taken;

int sampleSignal()
{
    return SIGRTMIN + 2;
}

void takeStack(int)
{
    const int saved = errno;
    g_depth = ::backtrace(g_frames, kDepth);
    ::sem_post(&g_taken);
    errno = saved;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString symbolOf(void* address)
{
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || !info.dli_sname)
        return QStringLiteral("?");
    int status = 0;
    char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    const QString name = QString::fromUtf8(status == 0 && demangled ? demangled : info.dli_sname);
    std::free(demangled);
    return name;
}

struct sigaction g_previousAction;

} // namespace

MainThreadWatch::MainThreadWatch(const QString& library, const std::vector<const void*>& functions)
{
    struct Search {
        QByteArray name;
        std::vector<std::pair<quintptr, quintptr>>* ranges;
    } search{library.toUtf8(), &m_library};
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* wanted = static_cast<Search*>(data);
            if (!info->dlpi_name || !QByteArray(info->dlpi_name).contains(wanted->name))
                return 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& header = info->dlpi_phdr[i];
                if (header.p_type == PT_LOAD && (header.p_flags & PF_X))
                    wanted->ranges->emplace_back(info->dlpi_addr + header.p_vaddr,
                                                 info->dlpi_addr + header.p_vaddr + header.p_memsz);
            }
            return 0;
        },
        &search);
    if (m_library.empty())
        return;
    for (const void* function : functions) {
        Dl_info info{};
        void* entry = nullptr;
        if (::dladdr1(function, &info, &entry, RTLD_DL_SYMENT) == 0 || !entry || info.dli_saddr != function)
            return;
        const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
        if (symbol->st_size == 0)
            return;
        const auto begin = reinterpret_cast<quintptr>(info.dli_saddr);
        m_library.emplace_back(begin, begin + symbol->st_size);
    }
    // Loads the unwinder now, not first inside the signal handler.
    void* warmUp[4];
    ::backtrace(warmUp, 4);
    g_mainThread = ::pthread_self();
    ::sem_init(&g_taken, 0, 0);
    struct sigaction action {};
    action.sa_handler = takeStack;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    if (::sigaction(sampleSignal(), &action, &g_previousAction) != 0)
        return;
    m_watching = true;
    m_lastTurnNs = nowNs();
    m_turns.setTimerType(Qt::PreciseTimer);
    m_turns.setInterval(5);
    QObject::connect(&m_turns, &QTimer::timeout, [this] { m_lastTurnNs = nowNs(); });
    m_turns.start();
    m_sampler = std::thread([this] { run(); });
}

MainThreadWatch::~MainThreadWatch()
{
    if (!m_watching)
        return;
    m_stop = true;
    m_sampler.join();
    ::sigaction(sampleSignal(), &g_previousAction, nullptr);
    ::sem_destroy(&g_taken);
}

void MainThreadWatch::run()
{
    while (!m_stop) {
        std::this_thread::sleep_for(kInterval);
        const qint64 stall = nowNs() - m_lastTurnNs;
        if (stall > m_longestStallNs)
            m_longestStallNs = stall;
        while (::sem_trywait(&g_taken) == 0) {
        }
        if (::pthread_kill(g_mainThread, sampleSignal()) != 0)
            return;
        timespec deadline{};
        ::clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += 2;
        if (::sem_timedwait(&g_taken, &deadline) != 0)
            continue;
        ++m_samples;
        look(std::vector<void*>(g_frames, g_frames + g_depth));
    }
}

void MainThreadWatch::look(const std::vector<void*>& stack)
{
    const bool same = stack == m_previous;
    m_previous = stack;
    if (!same)
        return;
    QStringList inLibrary;
    for (void* frame : stack) {
        const auto address = reinterpret_cast<quintptr>(frame);
        for (const auto& [begin, end] : m_library) {
            if (address >= begin && address < end)
                inLibrary.append(symbolOf(frame));
        }
    }
    if (inLibrary.isEmpty())
        return;
    const QString sighting = inLibrary.join(QStringLiteral(" < "));
    const std::lock_guard lock(m_mutex);
    if (!m_sightings.contains(sighting))
        m_sightings.append(sighting);
}

QStringList MainThreadWatch::sightings() const
{
    const std::lock_guard lock(m_mutex);
    return m_sightings;
}

std::chrono::milliseconds MainThreadWatch::longestStall() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::nanoseconds(m_longestStallNs.load()));
}
