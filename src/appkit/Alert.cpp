#include "appkit/Alert.h"

#include "platform/Platform.h"

namespace appkit {

platform::AlertRequest Alert::request() const {
    platform::AlertRequest r;
    r.style = alertStyle;
    r.messageText = messageText;
    r.informativeText = informativeText;
    r.buttons = buttons_;
    return r;
}

int Alert::runModal() const {
    auto* alerts = platform::current().alerts;
    if (!alerts) return 0;
    return alerts->runModal(request());
}

} // namespace appkit
