#pragma once
// A modal alert in the manner of NSAlert, run through the platform's alert presenter.

#include "platform/Alerts.h"

#include <optional>
#include <string>
#include <vector>

namespace appkit {

class Alert {
  public:
    platform::AlertStyle alertStyle = platform::AlertStyle::warning;
    std::string messageText;
    std::string informativeText;
    // Read back after runModal: what the person chose in it.
    std::optional<platform::AlertAccessory> accessoryView;

    void addButton(const std::string& title) { buttons_.push_back(title); }
    platform::AlertRequest request() const;
    // Waits until the alert is dismissed; the index of the button that dismissed it.
    int runModal();

  private:
    std::vector<std::string> buttons_;
};

} // namespace appkit
