#pragma once

#include <memory>

// Held by a service for its whole life. Background work captures watch() and, back on the main
// thread, does nothing once the service is gone.
class LifeToken {
public:
    std::weak_ptr<void> watch() const { return m_alive; }

private:
    std::shared_ptr<void> m_alive = std::make_shared<char>(0);
};
