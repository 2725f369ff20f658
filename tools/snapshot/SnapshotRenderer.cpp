#include "SnapshotRenderer.h"

#include "app/AppScreen.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "app/ScreenCatalog.h"
#include "storage/SettingsStore.h"
#include "style/AnimatedBackground.h"

#include "WorkQueues.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

constexpr int kSettleLimitMs = 5000;
// Work the user asked for (measuring folders) may take longer, but it ends.
constexpr int kRequestedWorkLimitMs = 120'000;

// Lets what showing started (reads on the utility queue and their publishing, the backdrop's glows
// on the global pool) finish.
void settle()
{
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (((WorkQueues::utility().activeThreadCount() > 0 ||
               QThreadPool::globalInstance()->activeThreadCount() > 0) &&
              clock.elapsed() < kSettleLimitMs) ||
             (WorkQueues::userInitiated().activeThreadCount() > 0 && clock.elapsed() < kRequestedWorkLimitMs));
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Paints the widget once, then settles: screens start their monitors only after a first frame, so
// what those read (fans, temperatures and the warnings they raise) is in the picture.
void paintAndSettle(QWidget& widget)
{
    settle();
    widget.grab();
    settle();
}

QString save(QWidget& widget, const QString& outputFile)
{
    paintAndSettle(widget);
    const QPixmap image = widget.grab();
    if (image.isNull() || !image.save(outputFile, "PNG"))
        return "could not write " + outputFile;
    return {};
}

} // namespace

QString SnapshotRenderer::render(const PlatformServices& platform, const QString& name, QSize size, bool colorBlind,
                                 const QString& outputFile, const std::function<void(ContentView&)>& prepare,
                                 const std::function<void(QWidget&)>& stage)
{
    const auto screen = AppScreens::fromRawValue(name);
    if (!screen && name != welcome && name != window) {
        QStringList known = {welcome, window};
        for (const AppScreen s : AppScreens::allCases())
            known.append(AppScreens::rawValue(s));
        return "unknown screen \"" + name + "\"; one of: " + known.join(", ");
    }

    MainWindow mainWindow(platform);
    ContentView& content = *mainWindow.contentView();
    SettingsStore& settings = *content.screenServices().settingsStore;
    // A snapshot never changes what the user stored.
    settings.suspendWrites();
    settings.setColorBlindMode(colorBlind);
    if (prepare)
        prepare(content);

    if (!screen) {
        mainWindow.resize(size);
        mainWindow.show();
        settle();
        content.stateManager().setCurrentState(name == welcome ? AppScreenState::setup : AppScreenState::dashboard);
        return save(mainWindow, outputFile);
    }

    AnimatedBackground backdrop;
    auto* layout = new QVBoxLayout(&backdrop);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* view = ScreenCatalog::create(*screen, content.screenServices(), &backdrop);
    layout->addWidget(view);
    backdrop.resize(size);
    backdrop.show();
    if (stage) {
        paintAndSettle(backdrop);
        stage(*view);
        if (QWidget* sheet = QApplication::activeModalWidget())
            return save(*sheet, outputFile);
    }
    return save(backdrop, outputFile);
}
