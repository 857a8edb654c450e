#pragma once
// Alerts on the virtual Mac: recorded, answered from a script, or shown by a presenter.

#include "platform/Alerts.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace sim {

class SimAlerts : public platform::Alerts {
  public:
    int runModal(platform::AlertRequest& request) override;
    void beginSheetModal(platform::AlertRequest request,
                         std::function<void(int)> completion) override;
    // How work is queued onto the main queue (a sheet is answered there).
    void setPoster(std::function<void(std::function<void()>)> post) { post_ = std::move(post); }
    // An alert given no button gets the system's one, named in the machine's language.
    void setLanguages(std::vector<std::string> preferred) { languages_ = std::move(preferred); }

    const std::vector<platform::AlertRequest>& shown() const { return shown_; }
    void clear() { shown_.clear(); }
    // The next alerts are dismissed with these button indices (then with 0).
    void queueAnswers(std::vector<int> answers);
    // Told of an alert that came with no answer queued and nobody to show it to (a test that did
    // not expect it); the alert is then dismissed with its first button.
    void setUnexpected(std::function<void(const platform::AlertRequest&)> told) {
        unexpected_ = std::move(told);
    }
    // Shows alerts for real (the interactive program); scripted answers go first.
    void setPresenter(std::function<int(platform::AlertRequest&)> presenter);

  private:
    std::vector<platform::AlertRequest> shown_;
    std::deque<int> answers_;
    std::function<int(platform::AlertRequest&)> presenter_;
    std::function<void(const platform::AlertRequest&)> unexpected_;
    std::function<void(std::function<void()>)> post_;
    std::vector<std::string> languages_;
};

} // namespace sim
