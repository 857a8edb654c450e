#include "platform/sim/SimAlerts.h"

namespace sim {

int SimAlerts::runModal(const platform::AlertRequest& request) {
    shown_.push_back(request);
    if (!answers_.empty()) {
        int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return presenter_ ? presenter_(request) : 0;
}

void SimAlerts::queueAnswers(std::vector<int> answers) {
    for (int a : answers)
        answers_.push_back(a);
}

void SimAlerts::setPresenter(std::function<int(const platform::AlertRequest&)> presenter) {
    presenter_ = std::move(presenter);
}

} // namespace sim
