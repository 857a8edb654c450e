#include "platform/sim/SimAlerts.h"

namespace sim {

int SimAlerts::runModal(platform::AlertRequest& request) {
    if (request.buttons.empty()) {
        const bool korean = !languages_.empty() && languages_.front().rfind("ko", 0) == 0;
        request.buttons = {korean ? "확인" : "OK"};
    }
    shown_.push_back(request);
    if (!answers_.empty()) {
        int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    if (!presenter_ && unexpected_) unexpected_(request);
    const int answer = presenter_ ? presenter_(request) : 0;
    shown_.back() = request; // with the accessory as it was left
    return answer;
}

void SimAlerts::queueAnswers(std::vector<int> answers) {
    for (int a : answers)
        answers_.push_back(a);
}

void SimAlerts::setPresenter(std::function<int(platform::AlertRequest&)> presenter) {
    presenter_ = std::move(presenter);
}

} // namespace sim

namespace sim {

void SimAlerts::beginSheetModal(platform::AlertRequest request,
                                std::function<void(int)> completion) {
    // Answered on a later turn of the main queue, by the script, a person or a queued answer.
    auto answer = [this, request, completion]() mutable {
        const int a = runModal(request);
        if (completion) completion(a);
    };
    if (post_)
        post_(answer);
    else
        answer();
}

} // namespace sim
