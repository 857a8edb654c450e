#pragma once
// Modal alerts. The caller waits until the alert is dismissed.

#include <string>
#include <vector>

namespace platform {

enum class AlertStyle { warning, informational, critical };

struct AlertRequest {
    AlertStyle style = AlertStyle::warning;
    std::string messageText;
    std::string informativeText;
    // Button titles in order; empty means one default "OK" button.
    std::vector<std::string> buttons;
};

// Index of the button that dismissed the alert (0 = first).
class Alerts {
  public:
    virtual ~Alerts() = default;
    virtual int runModal(const AlertRequest& request) = 0;
};

} // namespace platform
