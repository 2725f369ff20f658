#include "FrameLimiterStage.h"
#include "LoopbackOnlyNetwork.h"
#include "MangoHudFixture.h"
#include "MenuBarStage.h"
#include "SnapshotRenderer.h"
#include "TestMain.h"

#include "AIConnectStage.h"
#include "AllScreens.h"
#include "CleanerStage.h"
#include "DashboardFixture.h"
#include "DisplayFixture.h"
#include "OptimizersStage.h"
#include "FakePlatform.h"
#include "Paths.h"
#include "ProfilesFixture.h"
#include "SessionFixture.h"
#include "SystemInfoFixture.h"
#include "app/ContentView.h"
#include "app/LinuxPlatform.h"
#include "assistant/AIAssistantViewModel.h"
#include "screens/assistant/AIAssistantView.h"
#include "screens/display/DisplayModeRow.h"
#include "screens/monitoring/DashboardView.h"
#include "screens/monitoring/PDFReportGenerator.h"
#include "screens/monitoring/SessionCard.h"
#include "screens/monitoring/SessionReportView.h"
#include "telemetry/SessionLogger.h"
#include "style/AppStyle.h"

#include <QCommandLineParser>
#include <QDir>
#include <QScrollArea>
#include <QEventLoop>
#include <QTimer>
#include <QRegularExpression>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int liveSamplingMs = 6000;
constexpr int recordedSamples = 3;

// The Dashboard scrolled to its session card, after a recording was stopped when `state` is "saved".
void showSessionCard(QWidget& screen, SessionLogger& logger, const QString& state)
{
    auto* card = screen.findChild<SessionCard*>();
    if (!card)
        return;
    if (state == "saved") {
        QDir().mkpath(Paths::desktop());
        card->toggleRecording();
        for (int i = 0; i < recordedSamples; ++i)
            logger.recordSample();
        card->toggleRecording();
        QEventLoop wait;
        QTimer::singleShot(500, &wait, &QEventLoop::quit);
        wait.exec();
    }
    if (auto* area = qobject_cast<QScrollArea*>(&screen))
        area->ensureWidgetVisible(card);
}

} // namespace

// qm_snapshot --screen NAME --out FILE.png [--size WxH] [--color-blind] [--live] [--state NAME]
// qm_snapshot --screen all --out FOLDER [--size WxH] [--live]
// qm_snapshot --report FILE.pdf
int main(int argc, char* argv[])
{
    const QProcessEnvironment startEnvironment = QProcessEnvironment::systemEnvironment();
    bool live = false;
    for (int i = 1; i < argc; ++i)
        live = live || QByteArray(argv[i]) == "--live";
    // With fixture data the whole run lives in a scratch home, so no file of the real user is touched.
    std::optional<TestEnvironment> scratch;
    if (!live)
        scratch.emplace();
    // Live services, and the pings they send, stay on this machine.
    if (const QString failure = live ? LoopbackOnlyNetwork::enter() : QString(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    QApplication::setApplicationVersion(QM_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Renders a Quillmarsh screen into a PNG, offscreen.");
    parser.addHelpOption();
    parser.addOption({"screen", "A strip title (\"Dashboard\", \"Settings\", ...), \"welcome\", \"window\", or \"all\": "
                                "the welcome screen and every strip screen in both palettes into the folder given by --out.",
                      "NAME"});
    parser.addOption({"out", "The PNG file to write.", "FILE"});
    parser.addOption({"size", "The image size in pixels.", "WxH", "1000x650"});
    parser.addOption({"color-blind", "Draw with the colour-blind palette."});
    parser.addOption({"live", "Use this machine's live services and the user's stored settings."});
    parser.addOption({"state", "A screen's state to picture with fixture data: Resolution: \"no-display\", \"applying\"; "
                               "Assistant: \"conversation\"; "
                               "AI Connect: \"" + AIConnectStage::states().join("\", \"") + "\"; "
                               "Optimizers: \"" + OptimizersStage::states().join("\", \"") + "\"; "
                               "Dashboard (its session card): \"idle\", \"recording\", \"saved\"; "
                               "System: \"laptop\" (the default), \"desktop\"; Cleaner: \"" +
                               CleanerStage::states().join("\", \"") + "\" (with --live: a scan of this home); "
                               "Game Profiles and Background Freeze: \"" + ProfilesFixture::states().join("\", \"") + "\"; "
                               "Frame Limiter: \"" + FrameLimiterStage::states().join("\", \"") + "\"; Menu Bar: \"" +
                               MenuBarStage::states().join("\", \"") + "\".",
                      "NAME"});
    parser.addOption({"report", "Write the session report of a fixture session to this PDF file.", "FILE"});
    // Parsed here rather than by process(), which ends the program on --help or a mistake without
    // removing the scratch home.
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "qm_snapshot: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }

    if (parser.isSet("report")) {
        const SessionReportView page(SessionFixture::records(), SessionFixture::startTime(), SessionFixture::endTime(),
                                     SessionFixture::ramStats());
        if (const QString problem = PDFReportGenerator::writePDF(page, parser.value("report")); !problem.isEmpty()) {
            std::fprintf(stderr, "qm_snapshot: could not write %s: %s\n", qPrintable(parser.value("report")),
                         qPrintable(problem));
            return 1;
        }
        return 0;
    }

    const QRegularExpressionMatch size = QRegularExpression("^(\\d{1,5})x(\\d{1,5})$").match(parser.value("size"));
    if (!parser.isSet("screen") || !parser.isSet("out") || !size.hasMatch()) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }

    if (parser.value("screen") == "all") {
        return AllScreens::render(QCoreApplication::applicationFilePath(), startEnvironment, parser.value("out"),
                                  QSize(size.captured(1).toInt(), size.captured(2).toInt()), live);
    }

    AppStyle::install();
    std::unique_ptr<FakePlatform> fixture;
    std::unique_ptr<LinuxPlatform> linuxPlatform;
    PlatformServices services;
    std::function<void(ContentView&)> prepare;
    std::function<void(QWidget&)> stage;
    if (live) {
        linuxPlatform = std::make_unique<LinuxPlatform>();
        services = linuxPlatform->services();
        // A few seconds of the real samplers, so the graphs have something to draw.
        prepare = [](ContentView& content) {
            content.monitor().startMonitoring();
            content.networkMonitor().startMonitoring();
            content.monitor().refreshPeripheralBatteries();
            QEventLoop wait;
            QTimer::singleShot(liveSamplingMs, &wait, &QEventLoop::quit);
            wait.exec();
        };
        if (parser.value("screen") == "Cleaner")
            stage = CleanerStage::forState("preview");
    } else {
        fixture = std::make_unique<FakePlatform>(scratch->root());
        MangoHudFixture::install(*fixture, true);
        fixture->completeSetup();
        DashboardFixture::fill(*fixture);
        DisplayFixture::fill(*fixture->displayModes);
        const QString state = parser.value("state");
        std::function<void(ContentView&)> feed;
        const QString screenName = parser.value("screen");
        const bool profileScreen = ProfilesFixture::screens().contains(screenName);
        if (profileScreen)
            ProfilesFixture::fill(*fixture);
        if (screenName == "Cleaner") {
            CleanerStage::fillHome(fixture->homeDirectory(), scratch->root() + "/tmp", *fixture->runner);
            stage = CleanerStage::forState(state);
            if (!state.isEmpty() && !stage) {
                std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
                return 2;
            }
        } else if (screenName == "System") {
            const auto machine = SystemInfoFixture::services(*fixture, state.isEmpty() ? "laptop" : state);
            if (!machine) {
                std::fprintf(stderr, "qm_snapshot: no fixture machine \"%s\"\n", qPrintable(state));
                return 2;
            }
            services = *machine;
        } else if (screenName == "Dashboard" && !state.isEmpty()) {
            if (state != "idle" && state != "recording" && state != "saved") {
                std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
                return 2;
            }
            stage = [state](QWidget& screen) {
                if (auto* dashboard = qobject_cast<DashboardView*>(&screen))
                    showSessionCard(screen, dashboard->sessionLogger(), state);
            };
        } else if (screenName == "Frame Limiter" && !state.isEmpty()) {
            stage = FrameLimiterStage::forState(state, *fixture);
            if (!stage) {
                std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
                return 2;
            }
        } else if (screenName == "Menu Bar" && !state.isEmpty()) {
            feed = MenuBarStage::forState(state, *fixture);
            if (!feed) {
                std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
                return 2;
            }
        } else if (screenName == "Optimizers" && !state.isEmpty()) {
            stage = OptimizersStage::forState(state, *fixture);
            if (!stage) {
                std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
                return 2;
            }
        } else if (screenName == "AI Connect" && !state.isEmpty()) {
            stage = AIConnectStage::forState(state, *fixture);
            if (!stage) {
                std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
                return 2;
            }
        } else if (profileScreen && (state.isEmpty() || ProfilesFixture::states().contains(state))) {
            stage = [state](QWidget& screen) { ProfilesFixture::stage(screen, state); };
        } else if (state == "no-display") {
            fixture->displayModes->modes.reset();
            fixture->displayModes->current.reset();
        } else if (state == "applying") {
            fixture->displayModes->holdSwitches = true;
            stage = [](QWidget& screen) {
                if (auto* row = screen.findChild<DisplayModeRow*>("modeRow"))
                    row->click();
            };
        } else if (state == "conversation") {
            stage = [](QWidget& screen) {
                auto* assistant = qobject_cast<AIAssistantView*>(&screen);
                if (!assistant)
                    return;
                // Two answered questions, then one still being typed.
                for (const char* question : {"how do i use the cleaner", "Does it work on Wayland?"}) {
                    assistant->viewModel().send(question);
                    QEventLoop wait;
                    QTimer::singleShot(AIAssistantViewModel::longestDelay + std::chrono::milliseconds(100), &wait,
                                       &QEventLoop::quit);
                    wait.exec();
                }
                assistant->viewModel().send("what is ping?");
            };
        } else if (!state.isEmpty()) {
            std::fprintf(stderr, "qm_snapshot: unknown state \"%s\"\n", qPrintable(state));
            return 2;
        }
        if (screenName != "System")
            services = fixture->services();
        prepare = [&fixture, state, profileScreen, cleaner = CleanerStage::prepare(state),
                   feed](ContentView& content) {
            DashboardFixture::preload(*fixture, content.monitor(), content.networkMonitor());
            if (profileScreen)
                ProfilesFixture::prepare(content, state);
            // A recording that was running before the Dashboard was built.
            if (state == "recording") {
                content.sessionLogger().startLogging();
                for (int i = 0; i < recordedSamples; ++i)
                    content.sessionLogger().recordSample();
            }
            if (cleaner)
                cleaner(content);
            if (feed)
                feed(content);
        };
    }

    const QString error = SnapshotRenderer::render(services, parser.value("screen"),
                                                   QSize(size.captured(1).toInt(), size.captured(2).toInt()),
                                                   parser.isSet("color-blind"), parser.value("out"), prepare, stage);
    if (fixture && fixture->displayModes->holdSwitches)
        fixture->displayModes->release();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "qm_snapshot: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
