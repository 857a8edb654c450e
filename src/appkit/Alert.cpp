#include "appkit/Alert.h"

#include "platform/Platform.h"

namespace appkit {

platform::AlertRequest Alert::request() const {
    platform::AlertRequest r;
    r.style = alertStyle;
    r.messageText = messageText;
    r.informativeText = informativeText;
    r.buttons = buttons_;
    r.accessory = accessoryView;
    return r;
}

int Alert::runModal() {
    auto* alerts = platform::current().alerts;
    if (!alerts) return 0;
    auto r = request();
    const int answer = alerts->runModal(r);
    accessoryView = r.accessory;
    return answer;
}

} // namespace appkit
