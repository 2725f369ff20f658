#pragma once

#include <QWidget>

class GradientButton;

// Shown until the user has pressed "Get Started" once; that button has the focus when it appears,
// so Enter or Space presses it straight away.
class WelcomeScreen : public QWidget {
    Q_OBJECT
public:
    explicit WelcomeScreen(QWidget* parent = nullptr);

    GradientButton* getStartedButton() const { return m_getStarted; }

signals:
    void getStarted();

protected:
    void showEvent(QShowEvent* event) override;

private:
    GradientButton* m_getStarted;
};
