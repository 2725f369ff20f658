#pragma once

#include "FileRevealer.h"

#include "LazyBusConnection.h"

// Asks the file manager over the session bus to select the file; when no file manager answers
// there in time, opens the containing folder with xdg-open instead.
class LinuxFileRevealer final : public FileRevealer {
public:
    static constexpr std::chrono::milliseconds callTimeout{5'000};

    explicit LinuxFileRevealer(LazyBusConnection session) : m_session(std::move(session)) {}

    void reveal(const QString& path) override;

private:
    LazyBusConnection m_session;
};
