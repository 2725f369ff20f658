#include "AIConnectStage.h"

#include "FakePlatform.h"
#include "LoopbackHttpServer.h"
#include "assistant/AIConnectViewModel.h"
#include "assistant/APIKeyStore.h"
#include "screens/assistant/AIConnectChatPanel.h"
#include "screens/assistant/AIConnectView.h"
#include "screens/assistant/ChatTranscript.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <memory>

namespace {

constexpr int kWaitMs = 10000;
// Longer than the transcript's deferred scroll.
constexpr int kScrollSettleMs = 150;

const QByteArray kReply = R"({"choices":[{"message":{"content":"Lower shadows and volumetric fog first: together they )"
                          R"(cost the most frames in your notes.\n\n1. Shadows: Ultra to Medium (48 to 61 fps).\n)"
                          R"(2. Volumetric fog: off.\n3. Textures: keep High while you have VRAM to spare.\n\n)"
                          R"(Then cap the frame rate at 60 so the fans stay quieter."}}],)"
                          R"("usage":{"prompt_tokens":1834,"completion_tokens":61,"total_tokens":1895}})";

QString writeFile(const QString& folder, const QString& name, const QByteArray& content)
{
    const QString path = folder + "/" + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

void send(QWidget& screen, const QString& text)
{
    auto* draft = screen.findChild<QLineEdit*>("draftField");
    QTest::keyClicks(draft, text);
    QTest::keyClick(draft, Qt::Key_Return);
    auto* transcript = static_cast<AIConnectView&>(screen).chatPanel()->transcript();
    static_cast<void>(QTest::qWaitFor([transcript] { return transcript->bubbles().size() >= 3; }, kWaitMs));
}

void attach(QWidget& screen)
{
    QTest::mouseClick(screen.findChild<QAbstractButton*>("attachFilesButton"), Qt::LeftButton);
    auto& model = static_cast<AIConnectView&>(screen).viewModel();
    static_cast<void>(QTest::qWaitFor([&model] { return !model.isImportingContext(); }, kWaitMs));
}

} // namespace

QStringList AIConnectStage::states()
{
    return {"chat", "failure", "link-sheet"};
}

std::function<void(QWidget& screen)> AIConnectStage::forState(const QString& state, FakePlatform& platform)
{
    if (!states().contains(state))
        return {};
    APIKeyStore::shared().save("sk-snapshot-key", AIProvider::openAI);
    auto server = std::make_shared<LoopbackHttpServer>();
    platform.aiProviderURLs.insert(AIProvider::openAI, server->baseUrl());
    const QString home = platform.homeDirectory();
    const QString question = "Which settings should I lower first to keep 60 FPS?";

    if (state == "chat") {
        server->answer({200, kReply, false, {{"Content-Type", "application/json"}}});
        platform.filePicker->chosen = {
            writeFile(home, "fps-notes.md", "# FPS notes\nShadows Ultra: 48 fps. Shadows Medium: 61 fps.\n"),
            writeFile(home, "GameUserSettings.ini", "[ScalabilityGroups]\nsg.ShadowQuality=3\nsg.TextureQuality=3\n"),
            writeFile(home, "capture.png", "\x89PNG\r\n")};
        return [server, question](QWidget& screen) {
            send(screen, question);
            attach(screen);
            QTest::qWait(kScrollSettleMs);
        };
    }
    if (state == "failure") {
        server->answer({429, R"({"error":{"message":"Rate limit reached"}})", false, {{"Content-Type", "application/json"}}});
        platform.filePicker->chosen = {writeFile(home, "capture.png", "\x89PNG\r\n")};
        return [server, question](QWidget& screen) {
            send(screen, question);
            attach(screen);
            QTest::qWait(kScrollSettleMs);
        };
    }
    return [server](QWidget& screen) {
        QTest::mouseClick(screen.findChild<QAbstractButton*>("addLinkButton"), Qt::LeftButton);
        QTest::keyClicks(screen.findChild<QLineEdit*>("linkField"), "https://github.com/quillmarsh/docs/blob/main/README.md");
    };
}
