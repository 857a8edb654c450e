#pragma once
// Modal alerts. The caller waits until the alert is dismissed.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class AlertStyle { warning, informational, critical };

// A view under the alert's text: a pop-up and a checkbox, as a person leaves them.
struct AlertAccessory {
    double width = 0, height = 0;
    std::vector<std::string> popUpItems;
    int selectedItem = 0;
    std::string checkboxTitle; // empty: no checkbox
    bool checkboxOn = false;
};

struct AlertRequest {
    AlertStyle style = AlertStyle::warning;
    std::string messageText;
    std::string informativeText;
    // Button titles in order; empty means one default "OK" button.
    std::vector<std::string> buttons;
    std::optional<AlertAccessory> accessory;
    // The window a sheet hangs on; empty for an application-modal alert.
    std::string sheetWindow;
};

// Index of the button that dismissed the alert (0 = first).
class Alerts {
  public:
    virtual ~Alerts() = default;
    // The accessory comes back as the person left it.
    virtual int runModal(AlertRequest& request) = 0;
    // A sheet on a window: the call returns at once and the completion gets the answer later,
    // on the main queue.
    virtual void beginSheetModal(AlertRequest request, std::function<void(int)> completion) = 0;
};

} // namespace platform
