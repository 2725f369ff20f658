#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class ContentView;
class FakeProcessRunner;
class QWidget;

// Brings the Cleaner screen into one of its states before the picture is taken: a fixture home
// with files of all six cleanup categories is scanned for real, and the screen's buttons are
// pressed as a user would.
class CleanerStage {
public:
    static QStringList states();
    // Sparse files of every category and two applications of the user's own, aged, in the fixture
    // home and temporary folder; `runner` answers du for them.
    static void fillHome(const QString& home, const QString& temporary, FakeProcessRunner& runner);
    // Before the screen is built; nothing for states that need nothing there.
    static std::function<void(ContentView&)> prepare(const QString& state);
    // Nothing for an unknown state.
    static std::function<void(QWidget& screen)> forState(const QString& state);
};
