#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
struct FakePlatform;

// Brings the AI Connect screen into one of its states before the picture is taken: a stored key
// and a provider played by a server on 127.0.0.1, then the screen's own buttons and fields, as a
// user would use them.
class AIConnectStage {
public:
    static QStringList states();
    // Prepares the platform (call before the screen is built) and returns what to do once it is
    // shown; nothing for an unknown state.
    static std::function<void(QWidget& screen)> forState(const QString& state, FakePlatform& platform);
};
