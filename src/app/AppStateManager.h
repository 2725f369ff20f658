#pragma once

#include "AppScreenState.h"

#include <QObject>

// Holds the window's root state; the root view redraws when it changes.
class AppStateManager : public QObject {
    Q_OBJECT
public:
    explicit AppStateManager(AppScreenState currentState, QObject* parent = nullptr)
        : QObject(parent), m_currentState(currentState)
    {
    }

    AppScreenState currentState() const { return m_currentState; }
    void setCurrentState(AppScreenState state)
    {
        if (state == m_currentState)
            return;
        m_currentState = state;
        emit currentStateChanged(state);
    }

signals:
    void currentStateChanged(AppScreenState state);

private:
    AppScreenState m_currentState;
};
