#pragma once

#include <QWidget>

class GradientButton;

// Shown until the user has pressed "Get Started" once.
class WelcomeScreen : public QWidget {
    Q_OBJECT
public:
    explicit WelcomeScreen(QWidget* parent = nullptr);

    GradientButton* getStartedButton() const { return m_getStarted; }

signals:
    void getStarted();

private:
    GradientButton* m_getStarted;
};
